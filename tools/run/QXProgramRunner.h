#pragma once
// Runs a Windows program as a child process and observes it from outside:
// its standard output, the message boxes it shows (caption, text and style
// word, each recorded and answered), and its exit code, under a time-out.

#include <string>
#include <vector>

// Button ids a dialog is answered with (IDOK 1, IDCANCEL 2, IDABORT 3,
// IDRETRY 4, IDIGNORE 5, IDYES 6, IDNO 7, IDTRYAGAIN 10, IDCONTINUE 11), or
// the close box.
constexpr int kAnswerCloseBox = 0;
// Recorded when the answer asked for names a button the box does not have.
constexpr int kAnswerMissing = -1;

struct QXMessageBoxSeen {
    std::string caption;
    std::string text;
    // The MB_* word the box was made with (buttons, icon, default button,
    // modality and the other flags) when styles are recorded; -1 for a
    // dialog that is no message box, or when they are not.
    long style = -1;
    // How it was answered: the button pressed (asked for, or the default),
    // kAnswerCloseBox, or kAnswerMissing (the box is then closed).
    int answer = kAnswerMissing;
};

struct QXRunResult {
    bool started = false;
    bool timedOut = false;
    unsigned long exitCode = 0;  // ExitProcess(-1) reads 0xFFFFFFFF
    std::string output;          // standard output and standard error, as written, CR LF turned into LF
    std::vector<QXMessageBoxSeen> messageBoxes;
    std::string error;           // why the program could not be started
};

struct QXRunOptions {
    std::vector<std::string> arguments;  // appended to the command line, separated by blanks
    std::string commandLine;             // when set, the whole command line as given
    unsigned timeoutMs = 20000;          // 0: no time-out
    std::string screenshotFile;          // when set, the program's last visible window is saved as PNG
    std::string input;                   // fed to its standard input (empty: the null device)
    std::string workingDirectory;        // empty: the caller's
    // The answers to the dialogs it shows, in the order they appear; once
    // used up, each is answered with its default button (else its first
    // push button, else its close box), as Enter would.
    std::vector<int> answers;
    // Records each message box's style word through qxmbspy.dll, hooked into
    // the program's main thread. Off by default: under Wine the hook makes
    // every message the program sends far slower (the game example fell to
    // a few frames per second).
    bool messageBoxStyles = false;
};

QXRunResult runProgram(const std::string& program, const QXRunOptions& options = {});
