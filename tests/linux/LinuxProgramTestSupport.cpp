// The program tests' helpers for the Linux host: the same programs, built by
// the Windows build, run natively in qxlinux. Paths stay Unix paths.
#include "support/ProgramTestSupport.h"

std::string windowsPath(const std::string& path) { return path; }

std::string buildPath(const std::string& relative) { return std::string(QX_BUILD_DIR) + "/" + relative; }

// A bound program runs through its resource 1111, as the Windows program does.
QXRunResult runBound(const std::string& name, QXRunOptions options) {
    return runProgram(buildPath("programs/" + name + ".exe"), options);
}

QXRunResult runHostedWith(const std::string& name, QXRunOptions options) {
    return runProgram(buildPath("programs/" + name + ".qxm"), options);
}

std::string describe(const QXRunResult& result) {
    std::string text = "--- output ---\n" + result.output;
    for (const QXMessageBoxSeen& box : result.messageBoxes)
        text += "--- standard error: " + box.caption + " | " + box.text + "\n";
    text += "--- exit code " + std::to_string(static_cast<long>(result.exitCode));
    if (result.timedOut) text += ", timed out";
    if (!result.started) text += ", not started: " + result.error;
    return text + "\n";
}

// Binding writes a Windows program with the Windows tools: the Windows build's tests do it.
std::string bindImage(const std::string&, const std::string&) { return "binding runs in the Windows build"; }

// Built for Linux beside the tests (tests/linux/CMakeLists.txt).
std::string echoFixtureArgument() { return "\"" + std::string(QX_LINUX_ECHO_FIXTURE) + "\""; }
