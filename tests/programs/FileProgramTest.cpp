// Streams, files and directories driven by C programs laid out as compiled
// code, run as stand-alone programs in a scratch working directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/ProgramTestSupport.h"

namespace {

// A fresh working directory under the system's temporary path.
class ScratchDirectory {
public:
    ScratchDirectory() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "qx-files-program-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchDirectory() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string child = path_ + "\\" + found.cFileName;
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(child.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
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
    EXPECT_EQ(GetFileAttributesA((directory.path() + "\\data.bin").c_str()), INVALID_FILE_ATTRIBUTES);
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
