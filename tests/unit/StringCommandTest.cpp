// The string commands as compiled code calls them: 1-based positions, counts
// and positions out of range, shared results. The 0-based string operations
// underneath have their own tests; here each command is checked for what it
// adds and for being wired to the right operation.
#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "TestSupport.h"
#include "core/QXString.h"

namespace {

using Str = QXString*;

// Calls the command registered under `signature`; a missing one fails the test.
template <class R, class... A> R call(const char* signature, A... arguments) {
    const auto fn = command<R(QXCALL*)(A...)>(signature);
    if (!fn) throw std::runtime_error(std::string("not registered: ") + signature);
    return fn(arguments...);
}

Str String(Str s, int n) { return call<Str>("$String$string%repeat", s, n); }
Str Left(Str s, int n) { return call<Str>("$Left$string%count", s, n); }
Str Right(Str s, int n) { return call<Str>("$Right$string%count", s, n); }
Str Replace(Str s, Str from, Str to) { return call<Str>("$Replace$string$from$to", s, from, to); }
int Instr(Str s, Str find, int from) { return call<int>("%Instr$string$find%from=1", s, find, from); }
Str Mid(Str s, int start, int count) { return call<Str>("$Mid$string%start%count=-1", s, start, count); }
Str Upper(Str s) { return call<Str>("$Upper$string", s); }
Str Lower(Str s) { return call<Str>("$Lower$string", s); }
Str Trim(Str s) { return call<Str>("$Trim$string", s); }
Str LSet(Str s, int n) { return call<Str>("$LSet$string%size", s, n); }
Str RSet(Str s, int n) { return call<Str>("$RSet$string%size", s, n); }
Str Chr(int code) { return call<Str>("$Chr%ascii", code); }
int Asc(Str s) { return call<int>("%Asc$string", s); }
int Len(Str s) { return call<int>("%Len$string", s); }
Str Hex(int v) { return call<Str>("$Hex%value", v); }
Str Bin(int v) { return call<Str>("$Bin%value", v); }

// A borrowed argument that lives for the whole test.
class Arg {
public:
    explicit Arg(std::string_view text) : s_(QXString::fromBytes(text.data(), static_cast<int>(text.size()))) {}
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    ~Arg() { release(s_); }
    operator Str() const { return s_; }
    int count() const { return s_->refCount; }

private:
    Str s_;
};

// The text of an owned result, which it releases; "<shared>" marks the shared empty string.
std::string take(Str s) {
    std::string text = s == sharedStrings().empty ? "<shared>" : std::string(s->view());
    release(s);
    return text;
}

}  // namespace

TEST(StringCommands, EachCommandUsesItsOperation) {
    Arg abc("abc"), ab("ab"), b("b"), x("x"), padded(" aB\t");
    EXPECT_EQ(take(Left(abc, 5)), "abc");
    EXPECT_EQ(take(Left(abc, -1)), "<shared>");
    EXPECT_EQ(take(Right(abc, 2)), "bc");
    EXPECT_EQ(take(String(ab, 3)), "ababab");
    EXPECT_EQ(take(Replace(abc, b, x)), "axc");
    EXPECT_EQ(take(Upper(padded)), " AB\t");
    EXPECT_EQ(take(Lower(padded)), " ab\t");
    EXPECT_EQ(take(Trim(padded)), "aB");
    EXPECT_EQ(take(LSet(ab, 4)), "ab  ");
    EXPECT_EQ(take(RSet(ab, 4)), "  ab");
    EXPECT_EQ(take(RSet(abc, 2)), "bc");
    // Arguments are borrowed: their counts are as they were.
    EXPECT_EQ(abc.count(), 1);
    EXPECT_EQ(ab.count(), 1);
    // A repetition no string can hold stops the program instead of wrapping.
    EXPECT_EQ(runtimeErrorOf([&] { release(String(abc, INT_MAX)); }), "Out of memory");
}

TEST(StringCommands, MidCountsFromOneAndShortensBeforeIt) {
    Arg hello("hello");
    EXPECT_EQ(take(Mid(hello, 3, -1)), "llo");
    EXPECT_EQ(take(Mid(hello, 2, 3)), "ell");
    EXPECT_EQ(take(Mid(hello, 6, -1)), "<shared>");
    EXPECT_EQ(take(Mid(hello, 2, 0)), "<shared>");
    EXPECT_EQ(take(Mid(hello, 0, 2)), "h");
    EXPECT_EQ(take(Mid(hello, -2, 5)), "he");
    // A negative count reads to the end, wherever the start is.
    EXPECT_EQ(take(Mid(hello, 0, -1)), "hello");
    EXPECT_EQ(take(Mid(hello, -2, -7)), "hello");
    // Extremes of both numbers stay well defined.
    EXPECT_EQ(take(Mid(hello, INT_MIN, INT_MAX)), "<shared>");
    EXPECT_EQ(take(Mid(hello, INT_MIN, -1)), "hello");
    EXPECT_EQ(take(Mid(hello, INT_MAX, -1)), "<shared>");
    EXPECT_EQ(take(Mid(hello, 1, INT_MAX)), "hello");
}

TEST(StringCommands, InstrFindsFromOneBasedStart) {
    Arg text("abcabc"), b("b"), none(""), abc("abc");
    EXPECT_EQ(Instr(text, b, 1), 2);
    EXPECT_EQ(Instr(text, b, 3), 5);
    EXPECT_EQ(Instr(text, b, 6), 0);
    EXPECT_EQ(Instr(text, b, 0), 2);
    EXPECT_EQ(Instr(text, b, INT_MIN), 2);
    EXPECT_EQ(Instr(text, b, INT_MAX), 0);
    EXPECT_EQ(Instr(abc, none, 1), 1);
    EXPECT_EQ(Instr(abc, none, 3), 3);
    EXPECT_EQ(Instr(abc, none, 4), 0);
    EXPECT_EQ(Instr(none, none, 1), 0);
    EXPECT_EQ(Instr(b, text, 1), 0);  // longer than the text searched
}

TEST(StringCommands, CharactersCodesAndDigits) {
    Str a = Chr(65);
    EXPECT_EQ(a, sharedStrings().characters[65]);  // shared: never allocates
    EXPECT_EQ(take(a), "A");
    Str zero = Chr(256);
    EXPECT_EQ(zero, sharedStrings().characters[0]);
    release(zero);
    Str last = Chr(-1);
    EXPECT_EQ(Asc(last), 255);
    release(last);
    Arg empty(""), zeroFirst(std::string_view("\0a", 2)), high("\xc8z");
    EXPECT_EQ(Asc(empty), -1);
    EXPECT_EQ(Asc(zeroFirst), 0);
    EXPECT_EQ(Asc(high), 200);
    EXPECT_EQ(Len(zeroFirst), 2);  // a zero byte counts

    EXPECT_EQ(take(Hex(255)), "000000FF");
    EXPECT_EQ(take(Hex(-1)), "FFFFFFFF");
    EXPECT_EQ(take(Hex(0x12ABCDEF)), "12ABCDEF");
    EXPECT_EQ(take(Bin(5)), std::string(29, '0') + "101");
    EXPECT_EQ(take(Bin(INT_MIN)), "1" + std::string(31, '0'));
}

TEST(StringCommands, NullArgumentsReadAsEmpty) {
    Arg abc("abc");
    EXPECT_EQ(Len(nullptr), 0);
    EXPECT_EQ(Asc(nullptr), -1);
    EXPECT_EQ(take(Mid(nullptr, 1, -1)), "<shared>");
    EXPECT_EQ(take(Upper(nullptr)), "<shared>");
    EXPECT_EQ(take(Replace(abc, nullptr, nullptr)), "abc");
    EXPECT_EQ(Instr(abc, nullptr, 2), 2);
}
