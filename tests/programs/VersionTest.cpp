// One version everywhere: the version resource of the runtime's two images
// and of a program bound from runtime.exe, and each tool's --version.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QXVersion.h"
#include "support/ProgramTestSupport.h"

namespace {

struct VersionResource {
    bool found = false;
    unsigned major = 0, minor = 0, patch = 0;
    std::string productVersion, fileVersion, originalName;
};

std::string stringValue(std::vector<char>& block, const char* name) {
    void* text = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), &text, &length) || !text) return "(none)";
    return static_cast<const char*>(text);
}

VersionResource versionOf(const std::string& file) {
    VersionResource result;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (!size) return result;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return result;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return result;
    result.found = true;
    result.major = HIWORD(fixed->dwFileVersionMS);
    result.minor = LOWORD(fixed->dwFileVersionMS);
    result.patch = HIWORD(fixed->dwFileVersionLS);
    result.productVersion = stringValue(block, "ProductVersion");
    result.fileVersion = stringValue(block, "FileVersion");
    result.originalName = stringValue(block, "OriginalFilename");
    return result;
}

}  // namespace

TEST(Version, TheRuntimesImagesAndBoundProgramsCarryIt) {
    struct Case {
        const char* file;
        const char* originalName;
    };
    for (const Case& c : {Case{"bin/runtime.exe", "runtime.exe"}, Case{"bin/runtime.dll", "runtime.dll"},
                          Case{"examples/hello.exe", "runtime.exe"}}) {
        SCOPED_TRACE(c.file);
        const VersionResource version = versionOf(buildPath(c.file));
        ASSERT_TRUE(version.found);
        EXPECT_EQ(version.major, unsigned(QX_VERSION_MAJOR));
        EXPECT_EQ(version.minor, unsigned(QX_VERSION_MINOR));
        EXPECT_EQ(version.patch, unsigned(QX_VERSION_PATCH));
        EXPECT_EQ(version.productVersion, QX_VERSION);
        EXPECT_EQ(version.fileVersion, QX_VERSION);
        EXPECT_EQ(version.originalName, c.originalName);
    }
    // The number the string starts with is the resource's.
    EXPECT_EQ(std::string(QX_VERSION).rfind(std::to_string(QX_VERSION_MAJOR) + "." + std::to_string(QX_VERSION_MINOR) +
                                                "." + std::to_string(QX_VERSION_PATCH),
                                            0),
              0u);
}

TEST(Version, EveryToolPrintsIt) {
    for (const char* tool : {"qxpack", "qxbind", "qxrun", "qxhost"}) {
        SCOPED_TRACE(tool);
        QXRunOptions options;
        options.arguments = {"--version"};
        const QXRunResult run = runProgram(buildPath(std::string("bin/") + tool + ".exe"), options);
        ASSERT_TRUE(run.started) << run.error;
        EXPECT_EQ(run.exitCode, 0u) << describe(run);
        EXPECT_EQ(run.output.substr(0, run.output.find('\n')), std::string(tool) + " " + QX_VERSION) << describe(run);
    }
}
