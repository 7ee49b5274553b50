// The stand-alone program and the test host, observed from outside: loading,
// linking, the exit codes, End, runtime errors and the command line.

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/ProgramTestSupport.h"

namespace {

constexpr unsigned long kLoaderExitCode = 0xFFFFFFFF;
const char* const kLoaderCaption = "Unable to run Quelt Basic module";

void put32(std::vector<char>& out, std::int32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i)));
}
void putRecord(std::vector<char>& out, const std::string& name, std::int32_t offset) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    put32(out, offset);
}

// Writes an image and binds it into a program of the given name.
std::string bindBytes(const std::string& name, const std::vector<char>& image) {
    std::string imageFile = buildPath("programs/" + name + ".qxm");
    std::ofstream(imageFile, std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));
    std::string exe = buildPath("programs/" + name + ".exe");
    std::string error = bindImage(imageFile, exe);
    EXPECT_EQ(error, "");
    return exe;
}

void expectLoaderBox(const QXRunResult& run, const std::string& text) {
    EXPECT_EQ(run.exitCode, kLoaderExitCode) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].caption, kLoaderCaption);
    EXPECT_EQ(run.messageBoxes[0].text, text);
}

}  // namespace

TEST(StandAlone, ProgramsEndWithExitCodeZeroHoweverTheyEnd) {
    for (const char* name : {"returns", "end_early", "relocations"}) {
        QXRunResult run = runBound(name);
        EXPECT_FALSE(run.timedOut) << name;
        EXPECT_EQ(run.exitCode, 0u) << name << describe(run);
        EXPECT_TRUE(run.messageBoxes.empty()) << name << describe(run);
    }
}

TEST(StandAlone, RuntimeErrorShowsItsTextLiterallyUnderTheProgramName) {
    QXRunOptions options;
    options.arguments = {"100%", "%s", "%d"};
    QXRunResult run = runBound("error_args", options);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].caption, "error_args");
    // The runner quotes the program path, so the blank after it stays in the arguments.
    EXPECT_EQ(run.messageBoxes[0].text, " 100% %s %d");
}

TEST(StandAlone, AModuleSymbolShadowsTheCommandOfTheSameLinkName) {
    QXRunOptions options;
    options.arguments = {"shadowed"};
    QXRunResult run = runBound("shadow_end", options);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, " shadowed");
}

TEST(StandAlone, CommandLineSplitting) {
    std::string exe = windowsPath(buildPath("programs/error_args.exe"));
    struct Case {
        std::string commandLine;
        std::string arguments;
    } cases[] = {
        {"\"" + exe + "\" -x", " -x"},
        {exe + " -x  y", "-x  y"},
        {exe, ""},
        {"  \"" + exe + "\"", ""},
        {"\"" + exe + " -x", ""},
    };
    for (const Case& c : cases) {
        QXRunOptions options;
        options.commandLine = c.commandLine;
        QXRunResult run = runProgram(buildPath("programs/error_args.exe"), options);
        ASSERT_EQ(run.messageBoxes.size(), 1u) << c.commandLine << describe(run);
        EXPECT_EQ(run.messageBoxes[0].text, c.arguments) << c.commandLine;
    }
}

TEST(StandAlone, LoaderFailuresShowABoxAndExitWithMinusOne) {
    QXRunOptions styles;
    styles.messageBoxStyles = true;
    QXRunResult missing = runProgram(buildPath("bin/runtime.exe"), styles);
    expectLoaderBox(missing, "Can't find resource");
    ASSERT_EQ(missing.messageBoxes.size(), 1u);
    EXPECT_EQ(missing.messageBoxes[0].style, 0) << "MB_OK, no icon";
    expectLoaderBox(runBound("unknown_symbol"), "Can't find symbol: _fPrint");

    std::vector<char> illegal;
    put32(illegal, 8);
    illegal.resize(illegal.size() + 8, 0);
    put32(illegal, 1);
    putRecord(illegal, "X", 8);
    put32(illegal, 0);
    put32(illegal, 0);
    expectLoaderBox(runProgram(bindBytes("crafted_illegal_symbol", illegal)), "Illegal symbol value");

    // A relocation count far beyond the data: refused, not read past the resource.
    std::vector<char> truncated;
    put32(truncated, 4);
    truncated.resize(truncated.size() + 4, 0);
    put32(truncated, 0);
    put32(truncated, 1000000);
    putRecord(truncated, "_fend", 0);
    QXRunResult run = runProgram(bindBytes("crafted_truncated", truncated));
    EXPECT_EQ(run.exitCode, kLoaderExitCode) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].caption, kLoaderCaption);
}

TEST(StandAlone, AnImageWithEmptyTablesRunsItsCodeUnpatched) {
    std::vector<char> image;
    put32(image, 1);
    image.push_back(static_cast<char>(0xC3));  // ret
    put32(image, 0);
    put32(image, 0);
    put32(image, 0);
    QXRunResult run = runProgram(bindBytes("crafted_empty_tables", image));
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
}

TEST(TestHost, ReceivesStopThenTheErrorThroughItsDebugger) {
    QXRunResult run = runHosted("error_args", "50%", "done");
    EXPECT_EQ(run.output, "debugStop\ndebugError(1): 50% done\nexecute returned\n") << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty());
    run = runHosted("relocations");
    EXPECT_EQ(run.output, "execute returned\n") << describe(run);
    run = runHosted("unknown_symbol");
    EXPECT_EQ(run.output, "link error: Can't find symbol: _fPrint\n") << describe(run);
}

TEST(TestHost, VersionAndRegistryListing) {
    QXRunOptions options;
    options.arguments = {"--version", "--list", "--count", "--count", "--value", "End"};
    QXRunResult run = runProgram(buildPath("bin/qxhost.exe"), options);
    EXPECT_NE(run.output.find("version 1048715\n"), std::string::npos) << describe(run);
    for (const char* signature : {"\nEnd\n", "\nRuntimeError$error\n", "\n$CommandLine\n", "\n_qxDebugStmt\n",
                                  "\n%ActiveObjects\n"})
        EXPECT_NE(run.output.find(signature), std::string::npos) << signature;
    // Every enumeration yields the same set, and lookups work during one.
    std::size_t first = run.output.find("count ");
    ASSERT_NE(first, std::string::npos);
    std::string counts = run.output.substr(first);
    std::string line = counts.substr(0, counts.find('\n') + 1);
    EXPECT_EQ(counts.substr(0, 2 * line.size()), line + line);
    EXPECT_NE(run.output.find("value End found"), std::string::npos);
}

TEST(CommandLineString, OneObjectForTheRunWithAReferencePerCall) {
    QXRunOptions options;
    options.arguments = {"-x", "y"};
    QXRunResult bound = runBound("system_command_line", options);
    // The runner quotes the program path: the blank after it stays.
    EXPECT_EQ(bound.output, "same 1 refs 2 3 2 | -x y|\n") << describe(bound);
    QXRunResult hosted = runHosted("system_command_line", "-x", "y");
    EXPECT_EQ(hosted.output, "same 1 refs 2 3 2 |-x y|\nexecute returned\n") << describe(hosted);
    // No arguments: the shared empty string, still one object for the run.
    QXRunResult empty = runHosted("system_command_line");
    EXPECT_EQ(empty.output.substr(0, 7), "same 1 ") << describe(empty);
    EXPECT_NE(empty.output.find("||\n"), std::string::npos) << describe(empty);
}
