#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXString.h"

namespace {

// An owned string, released at the end of the test.
class Owned {
public:
    explicit Owned(QXString* s) : s_(s) {}
    explicit Owned(std::string_view text) : s_(QXString::fromBytes(text.data(), static_cast<int>(text.size()))) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { release(s_); }
    QXString* get() const { return s_; }
    QXString* operator->() const { return s_; }
    std::string text() const { return std::string(s_->view()); }

private:
    QXString* s_;
};

QXString* sharedEmpty() { return sharedStrings().empty; }

class StringTest : public testing::Test {
protected:
    void SetUp() override { startModuleNamed("QXString"); }
};

}  // namespace

TEST_F(StringTest, ConstructionFormsKeepLengthTerminatorAndZeroBytes) {
    Owned filled(QXString::withLength(3));
    EXPECT_EQ(filled->length, 3);
    EXPECT_EQ(filled->data[3], 0);
    EXPECT_EQ(filled->refCount, 1);

    Owned fromC(QXString::fromCText("ab\0cd"));
    EXPECT_EQ(fromC.text(), "ab");

    const char bytes[] = {'a', 0, 'b'};
    Owned withZero(QXString::fromBytes(bytes, 3));
    EXPECT_EQ(withZero->length, 3);
    EXPECT_EQ(withZero->data[1], 0);
    EXPECT_EQ(withZero->data[3], 0);
    EXPECT_STREQ(stringCText(withZero.get()), "a");  // C-string consumers stop at the zero byte
    EXPECT_EQ(withZero->toInt(), 0);

    Owned compat(new QXString("xyz", 2));  // the `new` form other code uses
    EXPECT_EQ(compat.text(), "xy");
    EXPECT_EQ(compat->data[2], 0);
}

TEST_F(StringTest, StringsAreLiveObjects) {
    const int before = liveObjectCount();
    QXString* s = newString("live");
    EXPECT_TRUE(isLiveObject(s));
    EXPECT_EQ(liveObjectCount(), before + 1);
    EXPECT_EQ(checkHandle<QXString>(handleOf(s), "String"), s);
    release(s);
    EXPECT_EQ(liveObjectCount(), before);
}

TEST_F(StringTest, SharedStringsComeAsNewReferences) {
    const QXSharedStrings& shared = sharedStrings();
    EXPECT_EQ(shared.empty->length, 0);
    EXPECT_EQ(std::string(shared.notANumber->view()), "NaN");
    EXPECT_EQ(std::string(shared.infinity->view()), "Infinity");
    EXPECT_EQ(std::string(shared.negativeInfinity->view()), "-Infinity");
    for (int code = 0; code < 256; ++code) {
        ASSERT_EQ(shared.characters[code]->length, 1);
        ASSERT_EQ(static_cast<unsigned char>(shared.characters[code]->data[0]), code);
    }

    const int count = shared.empty->refCount;
    QXString* e = emptyString();
    EXPECT_EQ(e, shared.empty);
    EXPECT_EQ(e->refCount, count + 1);
    release(e);

    QXString* a = charString(65);
    QXString* wrapped = charString(321);
    QXString* negative = charString(-1);
    EXPECT_EQ(a, wrapped);
    EXPECT_EQ(a->data[0], 'A');
    EXPECT_EQ(negative, shared.characters[255]);
    release(a);
    release(wrapped);
    release(negative);

    QXString* empty = newString("");
    EXPECT_EQ(empty, shared.empty);
    release(empty);
}

TEST_F(StringTest, IntegerStringsKeepTheirScratchToThemselves) {
    // Number strings are written with scratch digits past the text: built one
    // after another in neighbouring blocks, each must keep its text, length,
    // terminator and count, and each is a live object of its own.
    const int values[] = {0, 7, -7, 42, -42, 999, 12345, -123456, 2147483647, -2147483647 - 1, 5, -1};
    const int before = liveObjectCount();
    std::vector<QXString*> strings;
    for (int round = 0; round < 3; ++round)
        for (int value : values) strings.push_back(fromInt(value));
    EXPECT_EQ(liveObjectCount(), before + static_cast<int>(strings.size()));
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const std::string expected = std::to_string(values[i % std::size(values)]);
        QXString* s = strings[i];
        EXPECT_EQ(std::string(s->view()), expected);
        EXPECT_EQ(s->data[s->length], 0);
        EXPECT_EQ(s->refCount, 1);
        EXPECT_TRUE(isLiveObject(s));
    }
    for (QXString* s : strings) release(s);
    EXPECT_EQ(liveObjectCount(), before);
}

TEST_F(StringTest, NumberTextsThroughStrings) {
    EXPECT_EQ(Owned(fromInt(-2147483647 - 1)).text(), "-2147483648");
    EXPECT_EQ(Owned(fromFloat(12345678.0f)).text(), "12345700.0");
    Owned nan(fromFloat(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(nan.get(), sharedStrings().notANumber);
    EXPECT_EQ(Owned(fromFloat(-std::numeric_limits<float>::infinity())).get(), sharedStrings().negativeInfinity);
    EXPECT_EQ(Owned("  -12abc")->toInt(), -12);
    EXPECT_EQ(Owned("1.5e2x")->toFloat(), 150.0);
}

TEST_F(StringTest, ConcatAndCompare) {
    Owned abc("abc");
    Owned abd("abd");
    Owned ab("ab");
    Owned empty(emptyString());
    EXPECT_EQ(Owned(abc->concat(ab.get())).text(), "abcab");
    EXPECT_EQ(Owned(empty->concat(abc.get())).text(), "abc");
    Owned both(empty->concat(empty.get()));
    EXPECT_EQ(both.get(), sharedEmpty());

    EXPECT_LT(abc->compare(abd.get()), 0);
    EXPECT_GT(abd->compare(abc.get()), 0);
    EXPECT_EQ(ab->compare(abc.get()), -1);
    EXPECT_EQ(abc->compare(ab.get()), 1);
    EXPECT_EQ(abc->compare(Owned("abc").get()), 0);
    EXPECT_EQ(empty->compare(Owned(QXString::withLength(0)).get()), 0);
    EXPECT_GT(Owned("\x80")->compare(Owned("z").get()), 0);  // bytes compare unsigned
    const char withZero[] = {'a', 0};
    EXPECT_EQ(Owned(std::string_view(withZero, 2))->compare(Owned("a").get()), 1);
}

TEST_F(StringTest, FindWithAndWithoutStart) {
    Owned text("abcabc");
    Owned empty(emptyString());
    Owned b("b");
    Owned bc("bc");
    EXPECT_EQ(text->find(b.get()), 1);
    EXPECT_EQ(text->find(bc.get()), 1);
    EXPECT_EQ(text->find(Owned("abcabcd").get()), -1);
    EXPECT_EQ(text->find(Owned("x").get()), -1);
    EXPECT_EQ(text->find(empty.get()), 0);
    EXPECT_EQ(empty->find(empty.get()), -1);
    EXPECT_EQ(text->find(Owned("c").get()), 2);

    EXPECT_EQ(text->find(b.get(), 2), 4);
    EXPECT_EQ(text->find(bc.get(), 4), 4);
    EXPECT_EQ(text->find(bc.get(), 5), -1);
    EXPECT_EQ(text->find(b.get(), -3), 1);
    EXPECT_EQ(text->find(empty.get(), 3), 3);
    EXPECT_EQ(text->find(empty.get(), 6), -1);
    EXPECT_EQ(text->find(empty.get(), 7), -1);
    EXPECT_EQ(text->find(empty.get(), -2), 0);
    EXPECT_EQ(empty->find(empty.get(), -1), -1);  // nothing lies within an empty string

    const char hay[] = {'x', 0, 'y', 'z'};
    const char needle[] = {0, 'y'};
    EXPECT_EQ(Owned(std::string_view(hay, 4))->find(Owned(std::string_view(needle, 2)).get()), 1);
}

TEST_F(StringTest, SubstringLeftAndRightCutToTheText) {
    Owned hello("hello");
    EXPECT_EQ(Owned(hello->substring(2, 10)).text(), "llo");
    EXPECT_EQ(Owned(hello->substring(1, 2)).text(), "el");
    EXPECT_EQ(Owned(hello->substring(-1, 2)).text(), "h");
    EXPECT_EQ(Owned(hello->substring(-3, 5)).text(), "he");
    EXPECT_EQ(Owned(hello->substring(5, 1)).get(), sharedEmpty());
    EXPECT_EQ(Owned(hello->substring(1, 0)).get(), sharedEmpty());
    EXPECT_EQ(Owned(hello->substring(-2147483647 - 1, -2147483647 - 1)).get(), sharedEmpty());
    EXPECT_EQ(Owned(hello->substring(1, 2147483647)).text(), "ello");

    EXPECT_EQ(Owned(hello->left(2)).text(), "he");
    EXPECT_EQ(Owned(hello->left(9)).text(), "hello");
    EXPECT_EQ(Owned(hello->left(0)).get(), sharedEmpty());
    EXPECT_EQ(Owned(hello->left(-1)).get(), sharedEmpty());
    EXPECT_EQ(Owned(hello->right(3)).text(), "llo");
    EXPECT_EQ(Owned(hello->right(9)).text(), "hello");
    EXPECT_EQ(Owned(hello->right(-5)).get(), sharedEmpty());
}

TEST_F(StringTest, PaddingToAnExactSize) {
    Owned ab("ab");
    Owned abcdef("abcdef");
    EXPECT_EQ(Owned(ab->padRight(4)).text(), "ab  ");
    EXPECT_EQ(Owned(ab->padLeft(4)).text(), "  ab");
    EXPECT_EQ(Owned(abcdef->padRight(3)).text(), "abc");
    EXPECT_EQ(Owned(abcdef->padLeft(3)).text(), "def");
    EXPECT_EQ(Owned(ab->padRight(0)).get(), sharedEmpty());
    EXPECT_EQ(Owned(ab->padLeft(-4)).get(), sharedEmpty());
    EXPECT_EQ(Owned(Owned(emptyString())->padRight(2)).text(), "  ");
}

TEST_F(StringTest, TrimAndCaseMapping) {
    EXPECT_EQ(Owned(Owned("\t\r\n x y \x01")->trim()).text(), "x y");
    EXPECT_EQ(Owned(Owned(" \t\r\n ")->trim()).get(), sharedEmpty());
    EXPECT_EQ(Owned(Owned("\xA0x\xA0")->trim()).text(), "\xA0x\xA0");  // bytes above 127 stay
    EXPECT_EQ(Owned(Owned("plain")->trim()).text(), "plain");

    EXPECT_EQ(Owned(Owned("aZ9\xE9z@[`{")->upper()).text(), "AZ9\xE9Z@[`{");
    EXPECT_EQ(Owned(Owned("Az9\xC9Z@[`{")->lower()).text(), "az9\xC9z@[`{");
    EXPECT_EQ(Owned(Owned(emptyString())->upper()).get(), sharedEmpty());
}

TEST_F(StringTest, ReplaceNeverSearchesInsertedText) {
    auto replaced = [](const char* text, const char* from, const char* to) {
        return Owned(Owned(text)->replace(Owned(from).get(), Owned(to).get())).text();
    };
    EXPECT_EQ(replaced("aaa", "a", "ba"), "bababa");
    EXPECT_EQ(replaced("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(replaced("hello world", "o", "0"), "hell0 w0rld");
    EXPECT_EQ(replaced("abcabc", "abc", ""), "");
    EXPECT_EQ(replaced("xabx", "ab", "abab"), "xababx");
    EXPECT_EQ(replaced("ab", "abc", "z"), "ab");

    Owned text("abc");
    Owned same(text->replace(Owned("zz").get(), Owned("y").get()));
    EXPECT_EQ(same.get(), text.get());  // no occurrence: the string itself, one more reference
    EXPECT_EQ(text->refCount, 2);
    Owned emptyPattern(text->replace(Owned(emptyString()).get(), Owned("y").get()));
    EXPECT_EQ(emptyPattern.get(), text.get());
    EXPECT_EQ(Owned(Owned("aa")->replace(Owned("a").get(), Owned(emptyString()).get())).get(), sharedEmpty());
}

TEST_F(StringTest, Repeat) {
    EXPECT_EQ(Owned(Owned("ab")->repeat(3)).text(), "ababab");
    EXPECT_EQ(Owned(Owned("ab")->repeat(0)).get(), sharedEmpty());
    EXPECT_EQ(Owned(Owned("ab")->repeat(-2)).get(), sharedEmpty());
    EXPECT_EQ(Owned(Owned(emptyString())->repeat(5)).get(), sharedEmpty());
    // A length beyond 32 bits stops the program instead of wrapping around.
    Owned big("abcd");
    EXPECT_EQ(runtimeErrorOf([&] { big->repeat(1 << 30); }), "Out of memory");
}

TEST_F(StringTest, BaseName) {
    auto base = [](const char* path, bool keepExtension) {
        return Owned(Owned(path)->baseName(keepExtension)).text();
    };
    EXPECT_EQ(base("C:\\games/demo\\level.map", true), "level.map");
    EXPECT_EQ(base("C:\\games/demo\\level.map", false), "level");
    EXPECT_EQ(base("dir/archive.tar.gz", false), "archive.tar");
    EXPECT_EQ(base("name", false), "name");
    EXPECT_EQ(base("dir.d/name", false), "name");
    Owned dir(Owned("dir/")->baseName(true));
    EXPECT_EQ(dir.get(), sharedEmpty());
    Owned hidden(Owned("dir/.profile")->baseName(false));
    EXPECT_EQ(hidden->length, 0);
    EXPECT_NE(hidden.get(), sharedEmpty());  // an empty string of its own
    EXPECT_EQ(base("dir/.profile", true), ".profile");
}
