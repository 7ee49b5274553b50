#pragma once
// Runs a Windows program as a child process and observes it from outside:
// its standard output, the message boxes it shows (caption and text, each
// recorded and closed), and its exit code, under a time-out.

#include <string>
#include <vector>

struct QXMessageBoxSeen {
    std::string caption;
    std::string text;
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
};

QXRunResult runProgram(const std::string& program, const QXRunOptions& options = {});
