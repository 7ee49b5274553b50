// User libraries and CallDLL inside a stand-alone program: the table bound at
// start, a library found beneath queltpath, and the stubs of missing ones.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/ProgramTestSupport.h"

namespace {

// Sets queltpath (or removes it) for the programs this test starts.
class ScopedQueltPath {
public:
    explicit ScopedQueltPath(const char* value) {
        char saved[1024];
        DWORD length = GetEnvironmentVariableA("queltpath", saved, sizeof saved);
        if (length > 0 && length < sizeof saved) saved_ = saved;
        SetEnvironmentVariableA("queltpath", value);
    }
    ~ScopedQueltPath() { SetEnvironmentVariableA("queltpath", saved_.empty() ? nullptr : saved_.c_str()); }

private:
    std::string saved_;
};

QXRunResult runWithArgument(const char* argument) {
    QXRunOptions options;
    if (*argument) options.arguments.emplace_back(argument);
    return runBound("userlibs_bind", options);
}

}  // namespace

TEST(UserLibPrograms, BindsBeneathQueltpathAndStopsAtTheFirstCallOfWhatIsMissing) {
    ScopedQueltPath path(windowsPath(buildPath("bin/qxpath")).c_str());

    QXRunResult run = runWithArgument("function");
    ASSERT_EQ(run.exitCode, 0u) << describe(run);
    // 42 and the tag 'H'; CallDLL of a cdecl target: -(2 * 1000 + 3), the
    // input reversed then 0xAB; -1 for a library that cannot be found.
    EXPECT_EQ(run.output, "42\n72\n-2003\n9\n7\n171\n-1\n") << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "User lib function not found");

    run = runWithArgument("library");
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "User lib not found");
    EXPECT_EQ(run.output.find("unreachable"), std::string::npos) << describe(run);
}

TEST(UserLibPrograms, WithoutQueltpathTheHiddenLibraryIsMissingAtItsFirstCall) {
    ScopedQueltPath unset(nullptr);
    QXRunResult run = runWithArgument("");
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output, "") << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "User lib not found");
}
