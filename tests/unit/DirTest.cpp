#include <set>

#include "StreamTestSupport.h"
#include "io/QXDir.h"

namespace {

std::multiset<std::string> listing(const std::string& path) {
    std::multiset<std::string> names;
    int dir = cmd::ReadDir(Arg(path));
    if (!dir) return names;
    while (cmd::MoreFiles(dir)) names.insert(take(cmd::NextFile(dir)));
    EXPECT_EQ(take(cmd::NextFile(dir)), "");  // after the last entry
    EXPECT_EQ(cmd::MoreFiles(dir), 0);
    cmd::CloseDir(dir);
    return names;
}

TEST(DirListing, PatternsMatchEveryEntry) {
    EXPECT_EQ(listingPattern("C:\\games"), "C:\\games\\*");
    EXPECT_EQ(listingPattern("C:\\games\\"), "C:\\games\\*");
    EXPECT_EQ(listingPattern("data/"), "data/*");
    EXPECT_EQ(listingPattern(""), "*");
    EXPECT_EQ(listingPattern(std::string(300, 'a')), std::string(259, 'a') + "\\*");
    EXPECT_EQ(withTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(withTrailingBackslash("C:\\work"), "C:\\work\\");
    EXPECT_EQ(withTrailingBackslash(""), "");
}

TEST(DirListing, ListsTheSameEntriesWithAndWithoutTrailingSeparator) {
    ScratchFolder folder;
    folder.put("a.txt", "a");
    folder.put("b.bin", "");
    CreateDirectoryA(folder.file("sub").c_str(), nullptr);

    std::multiset<std::string> expected = {".", "..", "a.txt", "b.bin", "sub"};
    EXPECT_EQ(listing(folder.path()), expected);
    EXPECT_EQ(listing(folder.path() + "\\"), listing(folder.path()));
    EXPECT_EQ(listing(folder.path() + "/"), listing(folder.path()));

    EXPECT_EQ(cmd::ReadDir(Arg(folder.file("a.txt"))), 0);  // a file is not a directory
    EXPECT_EQ(cmd::ReadDir(Arg(folder.file("missing"))), 0);
    EXPECT_EQ(cmd::ReadDir(Arg("")), 0);
}

TEST(DirListing, HandlesAreCheckedAsDirectories) {
    ScratchFolder folder;
    int file = cmd::WriteFile(Arg(folder.file("f")));
    const auto invalid = std::optional<std::string>("Invalid Directory handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd::MoreFiles(file); }), invalid);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::NextFile(file); }), invalid);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::CloseDir(file); }), invalid);
    EXPECT_EQ(runtimeErrorOf([] { cmd::CloseDir(0); }), std::nullopt);
    int dir = cmd::ReadDir(Arg(folder.path()));
    EXPECT_EQ(runtimeErrorOf([&] { cmd::FilePos(dir); }), "Invalid File handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd::Eof(dir); }), "Invalid Stream handle");
    cmd::CloseDir(dir);
    cmd::CloseFile(file);
}

TEST(DirCommands, CurrentChangeCreateDelete) {
    ScratchFolder folder;
    std::string saved = take(cmd::CurrentDir());
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.back(), '\\');

    std::string sub = folder.file("made");
    cmd::CreateDir(Arg(sub));
    EXPECT_EQ(cmd::FileType(Arg(sub)), 2);
    cmd::CreateDir(Arg(folder.file("no\\parent")));  // one level only: silent failure
    EXPECT_EQ(cmd::FileType(Arg(folder.file("no"))), 0);

    cmd::ChangeDir(Arg(sub));
    std::string now = take(cmd::CurrentDir());
    EXPECT_EQ(now.back(), '\\');
    EXPECT_EQ(cmd::FileType(Arg(now.substr(0, now.size() - 1))), 2);
    int relative = cmd::WriteFile(Arg("inside.txt"));  // relative to the current directory
    cmd::CloseFile(relative);
    EXPECT_EQ(cmd::FileType(Arg(sub + "\\inside.txt")), 1);
    cmd::ChangeDir(Arg(folder.file("missing")));  // silent failure
    EXPECT_EQ(take(cmd::CurrentDir()), now);

    cmd::ChangeDir(Arg("C:\\"));
    EXPECT_EQ(take(cmd::CurrentDir()), "C:\\");  // a root keeps its one backslash
    cmd::ChangeDir(Arg(saved));
    EXPECT_EQ(take(cmd::CurrentDir()), saved);

    cmd::DeleteDir(Arg(sub));  // not empty: silent failure
    EXPECT_EQ(cmd::FileType(Arg(sub)), 2);
    cmd::DeleteFile(Arg(sub + "\\inside.txt"));
    cmd::DeleteDir(Arg(sub));
    EXPECT_EQ(cmd::FileType(Arg(sub)), 0);
}

}  // namespace
