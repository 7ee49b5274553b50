#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "StreamTestSupport.h"

namespace {

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatOf(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

class FileTest : public testing::Test {
protected:
    ScratchFolder folder;
};

TEST_F(FileTest, EveryValueSurvivesWriteCloseReopenRead) {
    std::string path = folder.file("values.bin");
    const std::uint32_t floats[] = {bitsOf(1.5f), bitsOf(-0.0f), 0x00000001u /* smallest denormal */,
                                    bitsOf(std::numeric_limits<float>::max()), 0x7F800000u /* infinity */,
                                    0x7FC12345u /* quiet NaN with payload */, bitsOf(0.1f)};
    int out = cmd::WriteFile(Arg(path));
    ASSERT_NE(out, 0);
    cmd::WriteByte(out, 300);
    cmd::WriteShort(out, -1);
    cmd::WriteInt(out, 0x12345678);
    cmd::WriteString(out, Arg("abc"));
    cmd::WriteLine(out, Arg("line"));
    for (std::uint32_t bits : floats) cmd::WriteFloat(out, floatOf(bits));
    cmd::CloseFile(out);

    std::string expected = std::string("\x2C\xFF\xFF\x78\x56\x34\x12\x03\0\0\0abcline\r\n", 20);
    for (std::uint32_t bits : floats)
        for (int i = 0; i < 4; ++i) expected.push_back(static_cast<char>(bits >> (8 * i)));
    EXPECT_EQ(ScratchFolder::contents(path), expected);

    int in = cmd::ReadFile(Arg(path));
    ASSERT_NE(in, 0);
    EXPECT_EQ(cmd::ReadByte(in), 0x2C);
    EXPECT_EQ(cmd::ReadShort(in), 65535);
    EXPECT_EQ(cmd::ReadInt(in), 0x12345678);
    EXPECT_EQ(take(cmd::ReadString(in)), "abc");
    EXPECT_EQ(take(cmd::ReadLine(in)), "line");
    for (std::uint32_t bits : floats) EXPECT_EQ(bitsOf(cmd::ReadFloat(in)), bits);
    EXPECT_NE(cmd::Eof(in), 0);
    cmd::CloseFile(in);
}

// The lines ReadLine gives for `bytes`: split on line feeds, carriage returns dropped.
std::vector<std::string> referenceLines(const std::string& bytes) {
    std::vector<std::string> lines(1);
    for (char c : bytes) {
        if (c == '\n') lines.emplace_back();
        else if (c != '\r') lines.back().push_back(c);
    }
    if (lines.back().empty()) lines.pop_back();  // a last line feed ends the data
    return lines;
}

TEST_F(FileTest, ReadLineMatchesTheLineRulesAcrossTheLibrarysBuffer) {
    // Lines from empty to past two stdio buffers, carriage returns in the
    // middle, doubled, last, alone and at every distance from a buffer's end.
    std::string bytes;
    unsigned seed = 7;
    for (int line = 0; line < 400; ++line) {
        seed = seed * 1103515245u + 12345u;
        const int length = line < 40 ? line : line % 50 == 0 ? 9000 + line : static_cast<int>((seed >> 16) % 300);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            bytes.push_back((seed >> 24) % 13 == 0 ? '\r' : static_cast<char>('a' + (seed >> 20) % 26));
        }
        bytes += line % 3 == 0 ? "\n" : "\r\n";
    }
    bytes += "\r\r\nno line feed at the end\r";
    const std::string path = folder.put("lines.txt", bytes);
    const std::vector<std::string> expected = referenceLines(bytes);

    int in = cmd::ReadFile(Arg(path));
    ASSERT_NE(in, 0);
    std::size_t n = 0;
    while (!cmd::Eof(in)) {
        ASSERT_LT(n, expected.size());
        ASSERT_TRUE(take(cmd::ReadLine(in)) == expected[n]) << "line " << n;
        ++n;
    }
    EXPECT_EQ(n, expected.size());
    EXPECT_EQ(take(cmd::ReadLine(in)), "") << "past the end";
    cmd::CloseFile(in);

    // Other readers on the same file take up where a line left off, and back.
    in = cmd::ReadFile(Arg(path));
    EXPECT_EQ(take(cmd::ReadLine(in)), expected[0]);
    EXPECT_EQ(cmd::ReadByte(in), static_cast<unsigned char>(expected[1][0]));
    EXPECT_EQ(take(cmd::ReadLine(in)), expected[1].substr(1));
    cmd::SeekFile(in, 5000);
    const std::vector<std::string> fromMiddle = referenceLines(bytes.substr(5000));
    EXPECT_TRUE(take(cmd::ReadLine(in)) == fromMiddle[0]);
    EXPECT_TRUE(take(cmd::ReadLine(in)) == fromMiddle[1]);
    cmd::CloseFile(in);

    // An update file: lines written, then read back from the start.
    const int both = cmd::OpenFile(Arg(path));
    ASSERT_NE(both, 0);
    cmd::SeekFile(both, 0);
    cmd::WriteLine(both, Arg("new first"));
    cmd::SeekFile(both, 0);
    EXPECT_EQ(take(cmd::ReadLine(both)), "new first");
    cmd::CloseFile(both);

    // A file open for writing only reads as empty lines.
    const int out = cmd::WriteFile(Arg(folder.file("out.txt")));
    EXPECT_EQ(take(cmd::ReadLine(out)), "");
    EXPECT_NE(cmd::Eof(out), 0);
    cmd::CloseFile(out);
}

TEST_F(FileTest, OpenModes) {
    std::string missing = folder.file("missing.txt");
    EXPECT_EQ(cmd::OpenFile(Arg(missing)), 0);
    EXPECT_EQ(cmd::ReadFile(Arg(missing)), 0);
    int created = cmd::WriteFile(Arg(missing));
    ASSERT_NE(created, 0);
    cmd::CloseFile(created);
    EXPECT_EQ(cmd::FileType(Arg(missing)), 1);
    EXPECT_EQ(cmd::FileSize(Arg(missing)), 0);

    // WriteFile truncates; a read-only file takes no writes and a
    // write-only file gives no reads.
    std::string path = folder.put("modes.txt", "0123456789");
    int truncated = cmd::WriteFile(Arg(path));
    cmd::WriteByte(truncated, 'w');
    EXPECT_EQ(cmd::ReadByte(truncated), 0);
    cmd::WriteByte(truncated, 'x');
    cmd::CloseFile(truncated);
    EXPECT_EQ(ScratchFolder::contents(path), "wx");
    int readOnly = cmd::ReadFile(Arg(path));
    cmd::WriteByte(readOnly, 'z');
    EXPECT_EQ(cmd::ReadByte(readOnly), 'w');
    cmd::CloseFile(readOnly);
    EXPECT_EQ(ScratchFolder::contents(path), "wx");
    EXPECT_EQ(cmd::OpenFile(Arg("")), 0);
}

TEST_F(FileTest, EofForEachOpenMode) {
    std::string empty = folder.put("empty.bin", "");
    std::string one = folder.put("one.bin", "A");

    int writer = cmd::WriteFile(Arg(folder.file("written.bin")));
    EXPECT_EQ(cmd::Eof(writer), 1);
    cmd::WriteByte(writer, 1);
    EXPECT_EQ(cmd::Eof(writer), 1);
    cmd::WriteByte(writer, 2);
    cmd::CloseFile(writer);
    EXPECT_EQ(ScratchFolder::contents(folder.file("written.bin")), std::string("\x01\x02"));

    int emptyReader = cmd::ReadFile(Arg(empty));
    EXPECT_EQ(cmd::Eof(emptyReader), 1);
    cmd::CloseFile(emptyReader);

    int reader = cmd::ReadFile(Arg(one));
    EXPECT_EQ(cmd::Eof(reader), 0);
    EXPECT_EQ(cmd::Eof(reader), 0);  // looking ahead does not consume
    EXPECT_EQ(cmd::ReadByte(reader), 'A');
    EXPECT_EQ(cmd::Eof(reader), 1);
    EXPECT_EQ(cmd::ReadByte(reader), 0);
    cmd::CloseFile(reader);

    // An update stream at its end reports it, and still takes writes.
    int update = cmd::OpenFile(Arg(one));
    EXPECT_EQ(cmd::ReadByte(update), 'A');
    EXPECT_EQ(cmd::Eof(update), 1);
    cmd::WriteByte(update, 'B');
    EXPECT_EQ(cmd::Eof(update), 1);
    EXPECT_EQ(cmd::SeekFile(update, 0), 0);
    EXPECT_EQ(cmd::Eof(update), 0);
    cmd::CloseFile(update);
    EXPECT_EQ(ScratchFolder::contents(one), "AB");
}

TEST_F(FileTest, UpdateStreamsSwitchBetweenReadingAndWriting) {
    std::string path = folder.put("update.bin", "ABCDEFGHIJ");
    int file = cmd::OpenFile(Arg(path));
    ASSERT_NE(file, 0);
    EXPECT_EQ(cmd::FilePos(file), 0);
    EXPECT_EQ(cmd::ReadByte(file), 'A');
    cmd::WriteByte(file, 'b');              // lands at offset 1, right after the read
    EXPECT_EQ(cmd::ReadByte(file), 'C');    // and reading goes on after it
    EXPECT_EQ(cmd::Eof(file), 0);
    cmd::WriteShort(file, 'd' | 'e' << 8);  // after a look-ahead too
    EXPECT_EQ(cmd::FilePos(file), 5);
    EXPECT_EQ(take(cmd::ReadLine(file)), "FGHIJ");
    cmd::WriteLine(file, Arg("K"));
    cmd::CloseFile(file);
    EXPECT_EQ(ScratchFolder::contents(path), "AbCdeFGHIJK\r\n");
}

TEST_F(FileTest, SeekAndPosition) {
    std::string path = folder.put("seek.bin", "0123");
    int file = cmd::OpenFile(Arg(path));
    EXPECT_EQ(cmd::SeekFile(file, 2), 2);
    EXPECT_EQ(cmd::ReadByte(file), '2');
    EXPECT_EQ(cmd::FilePos(file), 3);
    EXPECT_EQ(cmd::SeekFile(file, 100), 100);  // beyond the end
    EXPECT_EQ(cmd::FilePos(file), 100);
    EXPECT_EQ(cmd::ReadByte(file), 0);
    EXPECT_EQ(cmd::Eof(file), 1);
    EXPECT_EQ(cmd::SeekFile(file, 6), 6);
    cmd::WriteByte(file, 'x');                 // the gap reads back as zeros
    EXPECT_EQ(cmd::SeekFile(file, -1), 7);     // an impossible seek leaves the position
    cmd::CloseFile(file);
    EXPECT_EQ(ScratchFolder::contents(path), std::string("0123\0\0x", 7));
    EXPECT_EQ(cmd::FileSize(Arg(path)), 7);
}

TEST_F(FileTest, TruncatedFilesReadAsZerosAndShortStrings) {
    std::string path = folder.put("truncated.bin", std::string("\x07\0\0\0ab", 6));
    int file = cmd::ReadFile(Arg(path));
    EXPECT_EQ(take(cmd::ReadString(file)), std::string("ab\0\0\0\0\0", 7));
    EXPECT_EQ(cmd::ReadInt(file), 0);
    EXPECT_EQ(take(cmd::ReadString(file)), "");
    EXPECT_EQ(take(cmd::ReadLine(file)), "");
    cmd::CloseFile(file);

    std::string absurd = folder.put("absurd.bin", std::string("\xF0\xFF\xFF\x7F" "abc", 7));
    file = cmd::ReadFile(Arg(absurd));
    EXPECT_EQ(take(cmd::ReadString(file)), "abc");
    EXPECT_EQ(cmd::Eof(file), 1);
    cmd::CloseFile(file);

    std::string partial = folder.put("partial.bin", "\x05\x01");
    file = cmd::ReadFile(Arg(partial));
    EXPECT_EQ(take(cmd::ReadString(file)), "");
    cmd::CloseFile(file);

    std::string threeBytes = folder.put("three.bin", "\x01\x02\x03");
    file = cmd::ReadFile(Arg(threeBytes));
    EXPECT_EQ(cmd::ReadInt(file), 0x030201);
    EXPECT_EQ(cmd::ReadShort(file), 0);
    cmd::CloseFile(file);
}

TEST_F(FileTest, CopyStreamBetweenFiles) {
    std::string data(100000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31);
    std::string source = folder.put("source.bin", data);
    std::string target = folder.file("target.bin");

    int in = cmd::ReadFile(Arg(source));
    int out = cmd::WriteFile(Arg(target));
    cmd::CopyStream(in, out, 16384);  // a write-only file is at its end: nothing is copied
    cmd::CloseFile(out);
    EXPECT_EQ(cmd::FileSize(Arg(target)), 0);

    // An update stream takes the copy while it has bytes ahead to overwrite.
    folder.put("target.bin", std::string(data.size(), '-'));
    out = cmd::OpenFile(Arg(target));
    cmd::CopyStream(in, out, 4096);
    cmd::CloseFile(out);
    cmd::CloseFile(in);
    EXPECT_TRUE(ScratchFolder::contents(target) == data);
}

TEST_F(FileTest, SizeTypeCopyAndDelete) {
    std::string file = folder.put("data.txt", "hello");
    EXPECT_EQ(cmd::FileSize(Arg(file)), 5);
    EXPECT_EQ(cmd::FileType(Arg(file)), 1);
    EXPECT_EQ(cmd::FileType(Arg(folder.path())), 2);
    EXPECT_EQ(cmd::FileSize(Arg(folder.path())), 0);
    EXPECT_EQ(cmd::FileType(Arg("")), 0);
    EXPECT_EQ(cmd::FileType(Arg(folder.file("nothing"))), 0);
    EXPECT_EQ(cmd::FileSize(Arg(folder.file("nothing"))), 0);

    // A copy of a read-only file is writable, and replaces an existing target.
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    std::string copy = folder.put("copy.txt", "old contents");
    cmd::CopyFile(Arg(file), Arg(copy));
    EXPECT_EQ(ScratchFolder::contents(copy), "hello");
    EXPECT_FALSE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
    int writable = cmd::OpenFile(Arg(copy));
    EXPECT_NE(writable, 0);
    cmd::CloseFile(writable);
    cmd::CopyFile(Arg(folder.file("nothing")), Arg(copy));  // silent failure
    EXPECT_EQ(ScratchFolder::contents(copy), "hello");

    cmd::DeleteFile(Arg(copy));
    EXPECT_EQ(cmd::FileType(Arg(copy)), 0);
    cmd::DeleteFile(Arg(copy));  // silent failure
}

TEST_F(FileTest, SizesPastTwoGigabytesKeepTheLow32Bits) {
    auto sparse = [&](const std::string& name, std::int64_t size) {
        std::string path = folder.file(name);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = size;
        SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
        SetEndOfFile(h);
        CloseHandle(h);
        return path;
    };
    EXPECT_EQ(cmd::FileSize(Arg(sparse("3g.bin", 0xC0000000LL))), static_cast<int>(0xC0000000u));
    EXPECT_EQ(cmd::FileSize(Arg(sparse("4g.bin", 0x100000005LL))), 5);
}

TEST_F(FileTest, HandlesAreCheckedAsFiles) {
    std::string path = folder.put("h.txt", "x");
    QXString* notAFile = newString("x");
    MemoryStream* stream = new MemoryStream("x");
    const auto invalid = std::optional<std::string>("Invalid File handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd::FilePos(handleOf(notAFile)); }), invalid);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::SeekFile(handleOf(stream), 0); }), invalid);  // a stream, not a file
    EXPECT_EQ(runtimeErrorOf([&] { cmd::CloseFile(handleOf(stream)); }), invalid);
    EXPECT_EQ(runtimeErrorOf([] { cmd::CloseFile(0); }), std::nullopt);

    int before = liveObjectCount();
    int file = cmd::ReadFile(Arg(path));
    EXPECT_EQ(liveObjectCount(), before + 1);
    cmd::CloseFile(file);
    EXPECT_EQ(liveObjectCount(), before);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::FilePos(file); }), invalid);
    release(stream);
    release(notAFile);
}

}  // namespace
