#include "support/ProgramTestSupport.h"

#include <algorithm>

#include "tools/bind/Binder.h"

std::string windowsPath(const std::string& path) {
    std::string converted = path;
    std::replace(converted.begin(), converted.end(), '/', '\\');
    // The current drive need not be Z:, so a rooted path names it.
    if (!path.empty() && path.front() == '/') converted = "Z:" + converted;
    return converted;
}

std::string buildPath(const std::string& relative) { return windowsPath(std::string(QX_BUILD_DIR) + "/" + relative); }

QXRunResult runBound(const std::string& name, QXRunOptions options) {
    return runProgram(buildPath("programs/" + name + ".exe"), options);
}

QXRunResult runHostedWith(const std::string& name, QXRunOptions options) {
    options.arguments.insert(options.arguments.begin(), "\"" + buildPath("programs/" + name + ".qxm") + "\"");
    return runProgram(buildPath("bin/qxhost.exe"), options);
}

std::string echoFixtureArgument() { return "\"" + windowsPath(buildPath("bin/fixture_echo.exe")) + "\""; }

std::string bindImage(const std::string& imageFile, const std::string& outputExe) {
    return bindProgram(buildPath("bin/runtime.exe"), windowsPath(imageFile), windowsPath(outputExe));
}

std::string describe(const QXRunResult& result) {
    std::string text = "--- output ---\n" + result.output;
    for (const QXMessageBoxSeen& box : result.messageBoxes)
        text += "--- message box: " + box.caption + " | " + box.text + " | style " + std::to_string(box.style) +
                " | answer " + std::to_string(box.answer) + "\n";
    text += "--- exit code " + std::to_string(static_cast<long>(result.exitCode));
    if (result.timedOut) text += ", timed out";
    if (!result.started) text += ", not started: " + result.error;
    return text + "\n";
}
