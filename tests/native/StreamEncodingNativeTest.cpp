// The stream encodings against hostile and broken input, natively under the sanitizers.

#include <gtest/gtest.h>

#include <string>

#include "core/QXString.h"
#include "native/NativeStreams.h"
#include "support/QXNativeRuntimeError.h"

namespace {

class StreamEncoding : public ::testing::Test {
protected:
    static void SetUpTestSuite() { moduleList().startPlainModules(); }
};

std::string lengthPrefix(std::uint32_t n) {
    return std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                       static_cast<char>(n >> 24)};
}

std::string textOf(QXString* s) {
    std::string text(s->view());
    release(s);
    return text;
}

TEST_F(StreamEncoding, StringsRoundTripAndBrokenPrefixesGiveEmptyStrings) {
    MemoryStream out("");
    QXString* hello = newString("he\0llo");
    writeStreamString(out, hello);
    release(hello);
    MemoryStream in(out.written, 5);
    EXPECT_EQ(textOf(readStreamString(in)), "he");

    struct Case {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"\x05\x00", ""},                                     // prefix breaks off
        {lengthPrefix(0) + "abc", ""},
        {lengthPrefix(0x80000000u) + "abc", ""},              // negative length
        {lengthPrefix(5) + "ab", std::string("ab\0\0\0", 5)},  // short string keeps its length
    };
    for (const Case& c : cases) {
        MemoryStream stream(c.bytes);
        EXPECT_EQ(textOf(readStreamString(stream)), c.expected) << c.bytes.size();
    }
}

TEST_F(StreamEncoding, AHugeAnnouncedLengthCostsOnlyWhatArrives) {
    MemoryStream stream(lengthPrefix(0x7FFFFFF0u) + std::string(100000, 'x'));
    EXPECT_EQ(textOf(readStreamString(stream)).size(), 100000u);
}

TEST_F(StreamEncoding, LinesDropCarriageReturnsAndMayBeLong) {
    const std::string longLine(1000, 'q');
    MemoryStream stream("one\r\ntw\ro\n\n" + longLine + "\nlast", 7);
    EXPECT_EQ(textOf(readStreamLine(stream)), "one");
    EXPECT_EQ(textOf(readStreamLine(stream)), "two");
    EXPECT_EQ(textOf(readStreamLine(stream)), "");
    EXPECT_EQ(textOf(readStreamLine(stream)), longLine);
    EXPECT_EQ(textOf(readStreamLine(stream)), "last");
    EXPECT_EQ(textOf(readStreamLine(stream)), "");
}

TEST_F(StreamEncoding, LineBuilderJoinsPiecesAndDropsEveryCarriageReturn) {
    // The pieces a buffered reader hands over: the line as one piece, or
    // split anywhere (between a carriage return and the rest included).
    const std::string lines[] = {"", "\r", "\r\r", "abc", "abc\r", "a\rb\r\rc\r", std::string(300, 'x') + "\r",
                                 std::string("z\0\r", 3) + std::string(5000, 'y')};
    for (const std::string& line : lines) {
        std::string expected;
        for (char c : line)
            if (c != '\r') expected.push_back(c);
        for (std::size_t cut = 0; cut <= line.size(); cut += line.size() > 20 ? 97 : 1) {
            QXLineBuilder whole;
            EXPECT_EQ(textOf(whole.finish(line.data(), static_cast<int>(line.size()))), expected) << line.size();
            QXLineBuilder split;
            split.append(line.data(), static_cast<int>(cut));
            split.append(line.data() + cut, 0);
            EXPECT_EQ(textOf(split.finish(line.data() + cut, static_cast<int>(line.size() - cut))), expected)
                << line.size() << " cut at " << cut;
        }
    }
}

TEST_F(StreamEncoding, WrittenLinesEndInCarriageReturnLineFeed) {
    MemoryStream out("");
    QXString* text = newString("a b");
    writeStreamLine(out, text);
    writeStreamLine(out, nullptr);
    release(text);
    EXPECT_EQ(out.written, "a b\r\n\r\n");
}

TEST(StringLimits, LengthsBeyondTheLimitAreRuntimeErrors) {
    EXPECT_THROW(QXString::withLength(-1), QXNativeRuntimeError);
    EXPECT_THROW(QXString::withLength(0x7FFFFFFF), QXNativeRuntimeError);
}

}  // namespace
