// What is particular to the Linux host, observed from outside: commands with
// no Linux back end stop with their name, a module and the program it is
// bound into run alike, loader failures and runtime errors on standard error
// with the Windows program's exit codes.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/ProgramTestSupport.h"

namespace {

QXRunResult runWith(const std::string& name, const std::string& argument) {
    QXRunOptions options;
    options.arguments = {argument};
    return runBound(name, options);
}

}  // namespace

TEST(LinuxHost, CommandsWithoutALinuxBackEndStopWithTheirName) {
    for (const auto& [argument, command] : {std::pair<std::string, std::string>{"window", "CreateWindow"},
                                            {"hotkey", "HotKeyEvent"},
                                            {"joystick", "JoyType"},
                                            {"netdialog", "StartNetGame"}}) {
        QXRunResult run = runWith("platform_commands", argument);
        EXPECT_FALSE(run.timedOut) << describe(run);
        EXPECT_EQ(run.output, "before\n") << argument << describe(run);
        ASSERT_EQ(run.messageBoxes.size(), 1u) << argument << describe(run);
        EXPECT_EQ(run.messageBoxes[0].text, command + " is not available on Linux");
        EXPECT_EQ(run.exitCode, 0u) << describe(run);
    }
    // The keyboard polls, on the display Graphics runs, and sound has its back
    // end: a missing file loads nothing, and the program goes on.
    for (const char* argument : {"none", "key", "graphics", "sound"}) {
        QXRunResult run = runWith("platform_commands", argument);
        EXPECT_EQ(run.output, "before\nafter\n") << argument << describe(run);
        EXPECT_TRUE(run.messageBoxes.empty()) << argument << describe(run);
    }
}

TEST(LinuxHost, ModuleFileAndBoundProgramRunAlike) {
    QXRunOptions options;
    options.arguments = {"-x", " two  words"};
    QXRunResult bound = runBound("strings_text", options);
    QXRunResult module = runHostedWith("strings_text", options);
    EXPECT_FALSE(bound.output.empty()) << describe(bound);
    EXPECT_EQ(bound.output, module.output);
    ASSERT_EQ(bound.messageBoxes.size(), 1u) << describe(bound);
    ASSERT_EQ(module.messageBoxes.size(), 1u) << describe(module);
    EXPECT_EQ(bound.messageBoxes[0].text, module.messageBoxes[0].text);
    EXPECT_EQ(bound.exitCode, 0u);
    EXPECT_EQ(module.exitCode, 0u);
}

// The runtime error's text alone goes to standard error, exactly as given
// (no format is applied to it); the program then ends with code 0.
TEST(LinuxHost, RuntimeErrorTextOnStandardError) {
    QXRunOptions options;
    options.arguments = {"100%", "%s", "%d"};
    QXRunResult run = runBound("error_args", options);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].caption, "");
    EXPECT_EQ(run.messageBoxes[0].text, " 100% %s %d");
}

TEST(LinuxHost, LoaderFailuresReportAndExitWithMinusOne) {
    const std::string scratch = (std::filesystem::temp_directory_path() /
                                 ("qx-linux-host-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed())))
                                    .string();
    std::filesystem::create_directories(scratch);
    const std::string garbage = scratch + "/garbage.qxm";
    std::ofstream(garbage, std::ios::binary) << "not a module at all";
    const std::string textExe = scratch + "/text.exe";
    std::ofstream(textExe, std::ios::binary) << "MZ but nothing else";
    struct Case {
        std::string file;
        std::string text;
    } cases[] = {
        {buildPath("bin/runtime.exe"), "Can't find resource"},
        {buildPath("programs/unknown_symbol.exe"), "Can't find symbol: _fPrint"},
        {buildPath("programs/unknown_symbol.qxm"), "Can't find symbol: _fPrint"},
        {textExe, "Not a Windows program"},
        {scratch + "/missing.qxm", "Can't open " + scratch + "/missing.qxm"},
        {scratch, "Can't read " + scratch},
    };
    for (const Case& c : cases) {
        QXRunResult run = runProgram(c.file);
        EXPECT_EQ(run.exitCode, 0xFFFFFFFFul) << c.file << describe(run);
        ASSERT_EQ(run.messageBoxes.size(), 1u) << c.file << describe(run);
        EXPECT_EQ(run.messageBoxes[0].caption, "Unable to run Quelt Basic module");
        EXPECT_EQ(run.messageBoxes[0].text, c.text);
        EXPECT_EQ(run.output, "");
    }
    // Bytes that are no module image: refused by the linker, never run.
    QXRunResult run = runProgram(garbage);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFul) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].caption, "Unable to run Quelt Basic module");
    std::filesystem::remove_all(scratch);
}

// Windows paths a program writes name files of this system (docs/linux-host.md).
TEST(LinuxHost, FilesStreamsProgramInAScratchFolderWithWindowsStylePaths) {
    const std::string scratch = (std::filesystem::temp_directory_path() / "qx-linux-host-paths").string() +
                                std::to_string(::testing::UnitTest::GetInstance()->random_seed());
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch + "/saves");
    std::ofstream(scratch + "/saves/slot.txt", std::ios::binary) << "0123456789";
    QXRunOptions options;
    options.workingDirectory = scratch;
    options.arguments = {"saves\\slot.txt"};
    QXRunResult run = runBound("file_size", options);
    EXPECT_EQ(run.output, "10\n1\n") << describe(run);
    options.arguments = {"Z:" + scratch + "\\saves\\slot.txt"};
    run = runBound("file_size", options);
    EXPECT_EQ(run.output, "10\n1\n") << describe(run);
    options.arguments = {"Z:" + scratch + "\\saves"};
    run = runBound("file_size", options);
    EXPECT_EQ(run.output, "0\n2\n") << describe(run);
    std::filesystem::remove_all(scratch);
}

// SDL2 (with the fifty libraries it brings), FreeType and libmpg123 are
// opened when a program first needs them, not at every start: the dynamic
// loader's own trace shows what the process loaded.
TEST(LinuxHost, SoundAndDrawingLibrariesLoadOnlyWhenUsed) {
    const auto loaded = [](const std::string& argument) {
        const std::string command = "LD_DEBUG=libs SDL_AUDIODRIVER=dummy " + std::string(QX_LINUX_HOST) + " " +
                                    buildPath("programs/platform_commands.exe") + " " + argument + " 2>&1";
        std::string trace;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) trace.append(buffer, got);
            pclose(pipe);
        }
        return trace;
    };
    const std::string none = loaded("none"), sound = loaded("sound");
    EXPECT_NE(none.find("after"), std::string::npos) << none;
    for (const char* library : {"libSDL2", "libfreetype", "libmpg123", "libX11"})
        EXPECT_EQ(none.find(library), std::string::npos) << library << " loaded by a program that only prints";
    EXPECT_NE(sound.find("libSDL2"), std::string::npos) << "a program that plays sound opens SDL2";
}
