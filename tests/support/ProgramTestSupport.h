#pragma once
// Helpers for tests that run programs from outside: Quelt programs bound into
// stand-alone executables, or module images run through the test host.

#include <cstdlib>
#include <string>
#include <utility>

#include "tools/run/QXProgramRunner.h"

// Screenshots copy the display: another test's window on top would spoil
// them, so tests that take one run alone, from serial entries of their own
// that set this variable (tests/CMakeLists.txt); elsewhere they skip.
inline bool aloneOnTheDisplay() { return std::getenv("QX_ALONE_ON_DISPLAY") != nullptr; }

// A Unix absolute path as Windows sees it: on drive Z:, which maps the root.
std::string windowsPath(const std::string& path);

// A file of the build tree, e.g. buildPath("bin/qxhost.exe").
std::string buildPath(const std::string& relative);

// Runs <build>/programs/NAME.exe.
QXRunResult runBound(const std::string& name, QXRunOptions options = {});

// Runs <build>/programs/NAME.qxm in the test host; options.arguments follow the module.
QXRunResult runHostedWith(const std::string& name, QXRunOptions options);

// Runs <build>/programs/NAME.qxm in the test host with the given arguments.
template <typename... Arguments>
QXRunResult runHosted(const std::string& name, Arguments&&... arguments) {
    QXRunOptions options;
    (options.arguments.emplace_back(std::forward<Arguments>(arguments)), ...);
    return runHostedWith(name, std::move(options));
}

// The echoing child program of the process tests (programs/fixtures/fixture_echo.c)
// as a program's command line names it, quoted.
std::string echoFixtureArgument();

// Binds a module image into a stand-alone program. Returns an error, empty on success.
std::string bindImage(const std::string& imageFile, const std::string& outputExe);

// Everything a run produced, for assertion messages.
std::string describe(const QXRunResult& result);
