#include "StreamTestSupport.h"

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

// A stream object owned by the test; the handle is what commands take.
struct Stream {
    explicit Stream(std::string input = {}) : stream(new MemoryStream(std::move(input))) {}
    ~Stream() { release(stream); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    MemoryStream* operator->() const { return stream; }
    int handle() const { return handleOf(stream); }
    MemoryStream* stream;
};

// A stream that takes writes and is never at its end.
struct Sink : Stream {
    Sink() { stream->atEnd = false; }
};

TEST(StreamEncoding, WritesLittleEndianValuesStringsAndLines) {
    Stream s;
    cmd::WriteInt(s.handle(), 1);
    cmd::WriteShort(s.handle(), -1);
    cmd::WriteByte(s.handle(), 0x1234);
    cmd::WriteInt(s.handle(), -2);
    cmd::WriteFloat(s.handle(), 1.0f);
    cmd::WriteString(s.handle(), Arg("abc"));
    cmd::WriteString(s.handle(), Arg(""));
    cmd::WriteString(s.handle(), Arg(std::string("a\0b", 3)));
    cmd::WriteLine(s.handle(), Arg(""));
    cmd::WriteLine(s.handle(), Arg("hi"));
    EXPECT_EQ(s->output, bytes({1, 0, 0, 0, 0xFF, 0xFF, 0x34, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F,
                                3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 'b', '\r', '\n', 'h',
                                'i', '\r', '\n'}));
}

TEST(StreamEncoding, ReadsValuesAndZeroFillsWhatDoesNotArrive) {
    Stream s(bytes({0xFF, 0xFF, 0x80, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0x01, 0x02}));
    EXPECT_EQ(cmd::ReadShort(s.handle()), 65535);
    EXPECT_EQ(cmd::ReadByte(s.handle()), 128);
    EXPECT_EQ(cmd::ReadInt(s.handle()), -2);
    EXPECT_EQ(cmd::ReadFloat(s.handle()), 1.0f);
    EXPECT_EQ(take(cmd::ReadString(s.handle())), "");  // length 0
    EXPECT_EQ(cmd::ReadInt(s.handle()), 0x0201);        // only two bytes left
    EXPECT_EQ(cmd::ReadInt(s.handle()), 0);
    EXPECT_EQ(cmd::ReadByte(s.handle()), 0);
    EXPECT_NE(cmd::Eof(s.handle()), 0);
}

TEST(StreamEncoding, StringRoundTripsKeepEveryByte) {
    std::string large(300000, 'x');
    for (std::size_t i = 0; i < large.size(); i += 7) large[i] = static_cast<char>(i);
    Stream s;
    cmd::WriteString(s.handle(), Arg("abc"));
    cmd::WriteString(s.handle(), Arg(large));
    s->input = s->output;
    EXPECT_EQ(take(cmd::ReadString(s.handle())), "abc");
    EXPECT_TRUE(take(cmd::ReadString(s.handle())) == large);
    EXPECT_EQ(s->position, s->input.size());
}

TEST(StreamString, AbsurdOrBrokenLengthsAreSafe) {
    // 2 GB announced, 3 bytes sent: what arrived, and no read asks for more
    // than one first chunk (so no buffer larger than that was made).
    Stream huge(bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'}));
    EXPECT_EQ(take(cmd::ReadString(huge.handle())), "abc");
    for (int request : huge->readRequests) EXPECT_LE(request, kStreamStringFirstChunk);

    // A short string that breaks off keeps its length; the missing bytes are 0.
    Stream shortBody(bytes({10, 0, 0, 0, 'a', 'b', 'c'}));
    EXPECT_EQ(take(cmd::ReadString(shortBody.handle())), std::string("abc\0\0\0\0\0\0\0", 10));

    // A long one that breaks off keeps what arrived.
    Stream longBody(bytes({0x40, 0x0D, 0x03, 0}) + std::string(100000, 'q'));  // 200000 announced
    EXPECT_TRUE(take(cmd::ReadString(longBody.handle())) == std::string(100000, 'q'));

    // A negative length reads as empty; the prefix is consumed.
    Stream negative(bytes({0xFB, 0xFF, 0xFF, 0xFF, 'z'}));
    EXPECT_EQ(take(cmd::ReadString(negative.handle())), "");
    EXPECT_EQ(cmd::ReadByte(negative.handle()), 'z');

    // A prefix of which only some bytes arrive names no string.
    Stream partialPrefix(bytes({3, 0}));
    EXPECT_EQ(take(cmd::ReadString(partialPrefix.handle())), "");
    Stream empty;
    EXPECT_EQ(take(cmd::ReadString(empty.handle())), "");

    // A length with no body at all.
    Stream noBody(bytes({5, 0, 0, 0}));
    EXPECT_EQ(take(cmd::ReadString(noBody.handle())), "");
}

TEST(StreamString, LongStringsAreReadInGrowingChunks) {
    const int length = 1000000;
    Stream s(bytes({0x40, 0x42, 0x0F, 0}) + std::string(length, 'k'));
    EXPECT_EQ(take(cmd::ReadString(s.handle())).size(), static_cast<std::size_t>(length));
    ASSERT_GT(s->readRequests.size(), 2u);
    EXPECT_EQ(s->readRequests[1], kStreamStringFirstChunk);
    int total = 0;
    for (std::size_t i = 1; i < s->readRequests.size(); ++i) total += s->readRequests[i];
    EXPECT_EQ(total, length);
}

TEST(StreamLine, SplitsOnLineFeedAndDropsCarriageReturns) {
    Stream s("x\ry\nz");
    EXPECT_EQ(take(cmd::ReadLine(s.handle())), "xy");
    EXPECT_EQ(take(cmd::ReadLine(s.handle())), "z");
    EXPECT_EQ(take(cmd::ReadLine(s.handle())), "");
    for (int request : s->readRequests) EXPECT_EQ(request, 1);

    Stream crlf("one\r\n\r\ntwo\r\n");
    EXPECT_EQ(take(cmd::ReadLine(crlf.handle())), "one");
    EXPECT_EQ(take(cmd::ReadLine(crlf.handle())), "");
    EXPECT_EQ(take(cmd::ReadLine(crlf.handle())), "two");
    EXPECT_NE(cmd::Eof(crlf.handle()), 0);

    // Lines of any length, across the reader's internal buffer sizes.
    for (int length : {255, 256, 257, 1000}) {
        std::string expected, input;
        for (int i = 0; i < length; ++i) {
            expected.push_back(static_cast<char>('a' + i % 26));
            input.push_back(expected.back());
            if (i % 97 == 0) input.push_back('\r');
        }
        Stream longLine(input + "\r\nnext");
        EXPECT_TRUE(take(cmd::ReadLine(longLine.handle())) == expected) << length;
        EXPECT_EQ(take(cmd::ReadLine(longLine.handle())), "next");
    }

    Stream withZero(std::string("a\0b\n", 4));
    EXPECT_EQ(take(cmd::ReadLine(withZero.handle())), std::string("a\0b", 3));
}

TEST(StreamCopy, CopiesThroughBufferUntilAShortRead) {
    std::string data(40000, 'd');
    Stream source(data);
    Sink destination;
    cmd::CopyStream(source.handle(), destination.handle(), 16384);
    EXPECT_EQ(source->readRequests, (std::vector<int>{16384, 16384, 16384}));
    EXPECT_EQ(destination->writeSizes, (std::vector<int>{16384, 16384, 7232}));
    EXPECT_TRUE(destination->output == data);

    // An exact multiple stops at the source's end without an empty read.
    Stream even(std::string(32768, 'e'));
    Sink evenOut;
    cmd::CopyStream(even.handle(), evenOut.handle(), 16384);
    EXPECT_EQ(even->readRequests.size(), 2u);
    EXPECT_EQ(evenOut->output.size(), 32768u);

    // A destination at its end takes nothing.
    Stream blocked("abc");
    Sink closed;
    closed->atEnd = true;
    cmd::CopyStream(blocked.handle(), closed.handle(), 16384);
    EXPECT_TRUE(blocked->readRequests.empty());
    EXPECT_TRUE(closed->output.empty());
}

TEST(StreamCopy, BufferSizeLimits) {
    Stream source("abc");
    Sink destination;
    EXPECT_EQ(runtimeErrorOf([&] { cmd::CopyStream(source.handle(), destination.handle(), 0); }),
              "Illegal CopyStream buffer size");
    EXPECT_EQ(runtimeErrorOf([&] { cmd::CopyStream(source.handle(), destination.handle(), 1048577); }),
              "Illegal CopyStream buffer size");
    EXPECT_EQ(runtimeErrorOf([&] { cmd::CopyStream(source.handle(), destination.handle(), -5); }),
              "Illegal CopyStream buffer size");
    EXPECT_EQ(runtimeErrorOf([&] { cmd::CopyStream(source.handle(), destination.handle(), 1048576); }),
              std::nullopt);
    EXPECT_EQ(destination->output, "abc");
    Stream one("xyz");
    Sink oneOut;
    cmd::CopyStream(one.handle(), oneOut.handle(), 1);
    EXPECT_EQ(oneOut->output, "xyz");
}

TEST(StreamHandles, NonStreamsStopWithTheStreamKindWord) {
    Stream s("abc");
    QXString* notAStream = newString("abc");
    const auto invalid = std::optional<std::string>("Invalid Stream handle");
    EXPECT_EQ(runtimeErrorOf([] { cmd::ReadByte(0); }), invalid);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::ReadLine(handleOf(notAStream)); }), invalid);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::WriteString(handleOf(notAStream), notAStream); }), invalid);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::CopyStream(s.handle(), 12345, 0); }), invalid);
    EXPECT_EQ(runtimeErrorOf([&] { cmd::ReadAvail(s.handle()); }), std::nullopt);
    EXPECT_EQ(cmd::ReadAvail(s.handle()), 3);
    release(notAStream);
}

}  // namespace
