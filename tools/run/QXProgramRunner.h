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
    unsigned long exitCode = 0;
    std::string output;  // standard output and standard error, as written
    std::vector<QXMessageBoxSeen> messageBoxes;
};

struct QXRunOptions {
    std::vector<std::string> arguments;  // appended to the command line, separated by blanks
    std::string commandLine;             // when set, the whole command line as given
    unsigned timeoutMs = 20000;
    std::string screenshotFile;          // when set, the program's last visible window is saved as PNG
    std::string input;                   // fed to its standard input
};

QXRunResult runProgram(const std::string& program, const QXRunOptions& options = {});
