// The test program's own end: no thread of GoogleTest's may still be running
// when the process exits, because Wine 8 now and then dies with SIGSEGV while
// it kills such a thread (docs/wine-notes.md, "Process exit").

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"

// Exercises everything in GoogleTest that keeps per-thread state on the main
// thread: a trace, an expected failure (through the per-thread reporter) and
// a passing assertion inside the trace. The test below runs it in a child.
TEST(ProcessExit, TracesAndExpectedFailuresOnTheMainThread) {
    SCOPED_TRACE("traced");
    EXPECT_NONFATAL_FAILURE(ADD_FAILURE() << "expected here", "expected here");
    EXPECT_EQ(processThreadCount() > 0, true);
}

TEST(ProcessExit, ChildEndsWithNoThreadBesidesItsMain) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    char report[MAX_PATH];
    GetTempFileNameA(folder, "qxt", 0, report);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(report, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    std::string command = std::string("\"") + path +
                          "\" --gtest_filter=ProcessExit.TracesAndExpectedFailuresOnTheMainThread --threads-at-exit";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION child{};
    const BOOL started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    CloseHandle(out);
    ASSERT_TRUE(started);
    ASSERT_EQ(WaitForSingleObject(child.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    std::string text;
    if (FILE* file = std::fopen(report, "rb")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
        std::fclose(file);
    }
    DeleteFileA(report);
    EXPECT_EQ(code, 0u) << text;
    int atStart = 0;
    int atExit = 0;
    const std::size_t at = text.find("threads: ");
    ASSERT_NE(at, std::string::npos) << text;
    ASSERT_EQ(std::sscanf(text.c_str() + at, "threads: %d at start, %d at exit", &atStart, &atExit), 2) << text;
    EXPECT_GE(atStart, 1);
    EXPECT_LE(atExit, atStart) << "a thread started by the tests outlives them";
}
