// Streams, files and directories driven by C programs laid out as compiled
// code, run as stand-alone programs in a scratch working directory.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "support/ProgramTestSupport.h"

namespace {

// A fresh working directory under the system's temporary path.
class ScratchDirectory {
public:
    ScratchDirectory() {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("qx-files-program-" + std::string(test->name()) + "-" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
                 std::to_string(counter()++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    std::string path() const { return path_.string(); }
    bool has(const std::string& name) const { return std::filesystem::exists(path_ / name); }

private:
    static int& counter() {
        static int next = 0;
        return next;
    }
    std::filesystem::path path_;
};

// The one message box a run showed, or "" when it showed none.
std::string onlyMessage(const QXRunResult& result) {
    EXPECT_TRUE(result.started) << result.error;
    EXPECT_FALSE(result.timedOut) << describe(result);
    EXPECT_EQ(result.exitCode, 0u) << describe(result);
    EXPECT_LE(result.messageBoxes.size(), 1u) << describe(result);
    return result.messageBoxes.empty() ? "" : result.messageBoxes.front().text;
}

QXRunResult runIn(const ScratchDirectory& directory, const std::string& program, const std::string& argument = "") {
    QXRunOptions options;
    options.workingDirectory = directory.path();
    if (!argument.empty()) options.arguments = {argument};
    return runBound(program, options);
}

TEST(FileProgramTest, WritesReadsCopiesListsAndRemoves) {
    ScratchDirectory directory;
    EXPECT_EQ(onlyMessage(runIn(directory, "files_streams")), "");
    EXPECT_FALSE(directory.has("data.bin"));
}

TEST(FileProgramTest, HandleAndBufferErrorsStopTheProgram) {
    ScratchDirectory directory;
    EXPECT_EQ(onlyMessage(runIn(directory, "files_errors", "stream")), "Invalid Stream handle");
    EXPECT_EQ(onlyMessage(runIn(directory, "files_errors", "file")), "Invalid File handle");
    EXPECT_EQ(onlyMessage(runIn(directory, "files_errors", "dir")), "Invalid Directory handle");
    EXPECT_EQ(onlyMessage(runIn(directory, "files_errors", "copy")), "Illegal CopyStream buffer size");
    EXPECT_EQ(onlyMessage(runIn(directory, "files_errors", "none")), "no error");
}

}  // namespace
