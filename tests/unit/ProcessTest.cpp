// CreateProcess and the process stream: children started from the fixture
// programs built beside the tests, driven through the stream commands.

#include "StreamTestSupport.h"
#include "io/win32/Win32ProcessStream.h"

namespace {
auto createProcess = registeredCommand<int(QXCALL*)(QXString*)>("%CreateProcess$command");

// A fixture program of the build, quoted, followed by `arguments`.
std::string fixtureCommand(const char* fixture, const std::string& arguments = {}) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.erase(folder.find_last_of("\\/") + 1);
    std::string command = "\"" + folder + fixture + ".exe\"";
    return arguments.empty() ? command : command + " " + arguments;
}

// A child whose stream the test releases at the end.
class Child {
public:
    explicit Child(const std::string& commandLine) : handle_(createProcess(Arg(commandLine))) {}
    ~Child() {
        if (stream()) release(stream());
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    int handle() const { return handle_; }
    ProcStream* stream() const { return reinterpret_cast<ProcStream*>(static_cast<std::uintptr_t>(handle_)); }
    std::string readLine() const { return take(cmd::ReadLine(handle_)); }
    void writeLine(const std::string& text) const { cmd::WriteLine(handle_, Arg(text)); }
    // A handle of our own to the child process, to see it end.
    HANDLE openProcess() const { return OpenProcess(SYNCHRONIZE, FALSE, stream()->child().processId); }
    bool waitForExit(DWORD timeoutMs) const {
        return WaitForSingleObject(stream()->child().process, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    int handle_;
};
}  // namespace

TEST(ProcessStream, ChildEchoesLinesAndItsExitEndsTheStream) {
    Child echo(fixtureCommand("fixture_echo", "ready"));
    ASSERT_NE(echo.handle(), 0);
    EXPECT_EQ(echo.readLine(), "ready") << "standard error comes through the same pipe";
    echo.writeLine("hello there");
    EXPECT_EQ(echo.readLine(), "echo hello there");
    echo.writeLine("second");
    EXPECT_EQ(echo.readLine(), "echo second");

    // Alive and silent: neither Eof nor ReadAvail waits for it.
    EXPECT_EQ(cmd::Eof(echo.handle()), 0);
    EXPECT_EQ(cmd::ReadAvail(echo.handle()), 0);

    echo.writeLine("quit");
    EXPECT_EQ(echo.readLine(), "");
    EXPECT_EQ(cmd::Eof(echo.handle()), 1);
    EXPECT_EQ(cmd::ReadByte(echo.handle()), 0);
    EXPECT_EQ(echo.stream()->state(), ProcStream::kClosedByChild);
}

TEST(ProcessStream, AChildThatWritesAndEndsGivesItsLinesThenEndOfStream) {
    Child printer(fixtureCommand("fixture_console", "print one print two"));
    ASSERT_NE(printer.handle(), 0);
    EXPECT_EQ(printer.readLine(), "one");
    EXPECT_EQ(printer.readLine(), "two");
    ASSERT_TRUE(printer.waitForExit(10000));
    EXPECT_EQ(cmd::Eof(printer.handle()), 1);
    EXPECT_EQ(printer.readLine(), "");

    // Nothing written at all: the read returns as soon as the child is gone.
    Child silent(fixtureCommand("fixture_console", "exit 0"));
    ASSERT_NE(silent.handle(), 0);
    EXPECT_EQ(silent.readLine(), "");
    EXPECT_EQ(cmd::Eof(silent.handle()), 1);
}

TEST(ProcessStream, LongOutputArrivesWholeAcrossManyReads) {
    Child printer(fixtureCommand("fixture_console", "lines 3000"));
    ASSERT_NE(printer.handle(), 0);
    for (int n = 1; n <= 3000; ++n)
        ASSERT_EQ(printer.readLine(), "line " + std::to_string(n) + " of a long output");
    EXPECT_EQ(printer.readLine(), "");
    EXPECT_EQ(cmd::Eof(printer.handle()), 1);

    // Fixed-size values straddle the internal buffer's edge.
    Child more(fixtureCommand("fixture_console", "lines 200"));
    ASSERT_NE(more.handle(), 0);
    std::string all;
    for (int b; (b = cmd::ReadByte(more.handle())) != 0;) all.push_back(static_cast<char>(b));
    std::string expected;
    for (int n = 1; n <= 200; ++n) expected += "line " + std::to_string(n) + " of a long output\r\n";
    EXPECT_EQ(all, expected);
    EXPECT_EQ(cmd::Eof(more.handle()), 1);
}

TEST(ProcessStream, CommandsThatCannotStartGiveZero) {
    EXPECT_EQ(createProcess(Arg("no_such_program_qx.exe")), 0);
    EXPECT_EQ(createProcess(Arg("")), 0);
    EXPECT_EQ(createProcess(nullptr), 0);
}

TEST(ProcessStream, WritingToAChildThatEndedFailsAndMarksTheStream) {
    Child silent(fixtureCommand("fixture_console", "exit 0"));
    ASSERT_NE(silent.handle(), 0);
    ASSERT_TRUE(silent.waitForExit(10000));
    const char text[] = "anyone?\r\n";
    EXPECT_EQ(silent.stream()->write(text, sizeof text - 1), 0);
    EXPECT_NE(silent.stream()->state(), ProcStream::kOpen);
    EXPECT_NE(cmd::Eof(silent.handle()), 0);
    EXPECT_EQ(silent.stream()->write(text, sizeof text - 1), 0);
}

TEST(ProcessStream, ChildrenDoNotInheritTheRuntimesEndsOfThePipes) {
    // If the first child's input stayed open in itself or in the second
    // child, freeing its stream would not end its input and it would never end.
    auto first = std::make_unique<Child>(fixtureCommand("fixture_echo"));
    Child second(fixtureCommand("fixture_echo"));
    ASSERT_NE(first->handle(), 0);
    ASSERT_NE(second.handle(), 0);
    HANDLE firstProcess = first->openProcess();
    ASSERT_NE(firstProcess, nullptr);
    first.reset();
    EXPECT_EQ(WaitForSingleObject(firstProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(firstProcess);

    second.writeLine("still here");
    EXPECT_EQ(second.readLine(), "echo still here");
    second.writeLine("quit");
    EXPECT_EQ(second.readLine(), "");
}
