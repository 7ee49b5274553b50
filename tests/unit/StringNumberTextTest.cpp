#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/QXNumberText.h"
#include "core/QXString.h"

namespace {

struct FloatTextRow {
    std::uint32_t bits;
    const char* text;
};
const FloatTextRow kFloatTextTable[] = {
#include "unit/data/FloatTextTable.inc"
};

struct TextFloatRow {
    const char* text;
    std::uint64_t bits;
};
const TextFloatRow kTextFloatTable[] = {
#include "unit/data/TextFloatTable.inc"
};

float floatOf(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::uint64_t bitsOf(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

std::string floatText(double value) {
    char text[kNumberTextCapacity];
    const int n = formatFloat(value, text);
    EXPECT_EQ(n, static_cast<int>(std::strlen(text)));
    return text;
}

std::string intText(int value) {
    char text[kNumberTextCapacity];
    formatInt(value, text);
    return text;
}

// Runs `body` with the x87 unit as compiled code has it: 24-bit precision.
// Native 64-bit builds have no x87 arithmetic to set.
template <class Body> void atSinglePrecision(Body body) {
#if defined(__i386__)
    const unsigned saved = _control87(0, 0);
    _control87(0xA001F, 0xFFFFF);
    body();
    _control87(saved, 0xFFFFF);
#else
    body();
#endif
}

// The rows whose formatted text differs from the table, as "bits: got / expected".
std::vector<std::string> floatTableMismatches() {
    std::vector<std::string> mismatches;
    for (const FloatTextRow& row : kFloatTextTable) {
        char text[kNumberTextCapacity];
        formatFloat(floatOf(row.bits), text);
        if (std::strcmp(text, row.text) != 0)
            mismatches.push_back(std::to_string(row.bits) + ": " + text + " / " + row.text);
    }
    return mismatches;
}

}  // namespace

TEST(StringNumberText, FloatTextMatchesTheIndependentTable) {
    ASSERT_GT(std::size(kFloatTextTable), 4000u);
    const std::vector<std::string> mismatches = floatTableMismatches();
    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " mismatches, first: " << mismatches.front();
}

TEST(StringNumberText, FloatTextIsUnchangedAtSinglePrecisionX87) {
    std::vector<std::string> mismatches;
    atSinglePrecision([&] { mismatches = floatTableMismatches(); });
    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " mismatches, first: " << mismatches.front();
}

TEST(StringNumberText, ExactRoundingAgreesWithTheShortcutOnEveryRow) {
    int disagreements = 0;
    for (const FloatTextRow& row : kFloatTextTable) {
        const double value = std::fabs(static_cast<double>(floatOf(row.bits)));
        if (!std::isfinite(value) || value == 0) continue;
        const QXSixDigits fast = roundToSixDigits(value);
        const QXSixDigits exact = roundToSixDigits(value, QXRounding::ExactOnly);
        if (fast.digits != exact.digits || fast.exponent != exact.exponent) ++disagreements;
    }
    EXPECT_EQ(disagreements, 0);
}

TEST(StringNumberText, FloatTextOfNamedValues) {
    EXPECT_EQ(floatText(0.0f), "0.0");
    EXPECT_EQ(floatText(1.0f), "1.0");
    EXPECT_EQ(floatText(0.5f), "0.5");
    EXPECT_EQ(floatText(0.001f), "0.001");
    EXPECT_EQ(floatText(0.01f), "0.01");
    EXPECT_EQ(floatText(3.14159265f), "3.14159");
    EXPECT_EQ(floatText(123.456f), "123.456");
    EXPECT_EQ(floatText(100000.0f), "100000.0");
    EXPECT_EQ(floatText(12345678.0f), "12345700.0");
    EXPECT_EQ(floatText(-2.5f), "-2.5");
    EXPECT_EQ(floatText(999999.6f), "1000000.0");  // rounding carries into a seventh digit
    EXPECT_EQ(floatText(1e8f), "1.e+008");
    EXPECT_EQ(floatText(99999999.0f), "1.e+008");
    EXPECT_EQ(floatText(1e10f), "1.e+010");
    EXPECT_EQ(floatText(123456789.0f), "1.23457e+008");
    EXPECT_EQ(floatText(0.0001f), "1.e-004");
    EXPECT_EQ(floatText(0.000015f), "1.5e-005");
    EXPECT_EQ(floatText(-0.0f), "-0.0");
    EXPECT_EQ(floatText(1234565.0f), "1234570.0");  // an exact tie goes away from zero
    EXPECT_EQ(floatText(0.1015625f), "0.101563");
    EXPECT_EQ(floatText(HUGE_VALF), "Infinity");
    EXPECT_EQ(floatText(-HUGE_VALF), "-Infinity");
    EXPECT_EQ(floatText(std::nanf("")), "NaN");
}

TEST(StringNumberText, FloatTextOfDoublesBeyondFloatRange) {
    EXPECT_EQ(floatText(1e300), "1.e+300");
    EXPECT_EQ(floatText(DBL_MAX), "1.79769e+308");
    EXPECT_EQ(floatText(4.9406564584124654e-324), "4.94066e-324");
    EXPECT_EQ(floatText(1e-300), "1.e-300");
    EXPECT_EQ(floatText(0.1), "0.1");
}

TEST(StringNumberText, IntegerText) {
    EXPECT_EQ(intText(0), "0");
    EXPECT_EQ(intText(7), "7");
    EXPECT_EQ(intText(-45), "-45");
    EXPECT_EQ(intText(1000000), "1000000");
    EXPECT_EQ(intText(2147483647), "2147483647");
    EXPECT_EQ(intText(-2147483647 - 1), "-2147483648");
}

// The digit count comes from a bit-length table and the digits from scaled
// products: a wrong table entry or scale shows at the edges of each length,
// around powers of two, or somewhere in a sweep across the whole range.
TEST(StringNumberText, IntegerTextAgreesWithTheCLibraryEverywhere) {
    std::vector<std::int64_t> edges = {0, 1, -1, 2147483647, -2147483647 - 1};
    for (std::int64_t power = 10; power <= 1000000000; power *= 10)
        for (std::int64_t near : {power - 1, power, power + 1}) edges.insert(edges.end(), {near, -near});
    for (int bits = 1; bits < 31; ++bits)
        for (std::int64_t near : {(std::int64_t{1} << bits) - 1, std::int64_t{1} << bits})
            edges.insert(edges.end(), {near, -near});

    int mismatches = 0;
    auto check = [&](int value) {
        char text[kNumberTextCapacity];
        std::memset(text, 'x', sizeof text);
        const int length = formatInt(value, text);
        const std::string expected = std::to_string(value);
        if (text != expected || length != static_cast<int>(expected.size()) || length != intTextLength(value) ||
            text[kIntTextRoom] != 'x') {
            if (++mismatches <= 5) ADD_FAILURE() << value << " gave \"" << text << "\"";
        }
    };
    for (std::int64_t value : edges) check(static_cast<int>(value));
    for (std::uint64_t bits = 12345; bits <= 0xFFFFFFFF; bits += 997) check(static_cast<int>(bits));
    EXPECT_EQ(mismatches, 0);
}

TEST(StringNumberText, TextToIntegerFollowsAtoi) {
    EXPECT_EQ(parseInt("  -12abc"), -12);
    EXPECT_EQ(parseInt("abc"), 0);
    EXPECT_EQ(parseInt("+7"), 7);
    EXPECT_EQ(parseInt("$FF"), 0);
    EXPECT_EQ(parseInt("0x10"), 0);
    EXPECT_EQ(parseInt(""), 0);
    EXPECT_EQ(parseInt("\t\n\v\f\r 42"), 42);
    EXPECT_EQ(parseInt("- 5"), 0);
    EXPECT_EQ(parseInt("+-5"), 0);
    EXPECT_EQ(parseInt("12.9"), 12);
    EXPECT_EQ(parseInt("-2147483648"), -2147483647 - 1);
    // Overflow wraps in 32 bits.
    EXPECT_EQ(parseInt("2147483648"), -2147483647 - 1);
    EXPECT_EQ(parseInt("4294967297"), 1);
    EXPECT_EQ(parseInt("99999999999999999999"), 1661992959);  // 10^20 - 1 modulo 2^32
}

TEST(StringNumberText, TextToFloatMatchesTheIndependentTable) {
    std::vector<std::string> mismatches;
    auto check = [&] {
        for (const TextFloatRow& row : kTextFloatTable)
            if (bitsOf(parseFloat(row.text)) != row.bits) mismatches.push_back(row.text);
    };
    check();
    atSinglePrecision(check);
    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " mismatches, first: " << mismatches.front();
}

TEST(StringNumberText, TextToFloatNamedCases) {
    EXPECT_EQ(parseFloat("1.5e2x"), 150.0);
    EXPECT_EQ(parseFloat(".5"), 0.5);
    EXPECT_EQ(parseFloat(""), 0.0);
    EXPECT_EQ(parseFloat("abc"), 0.0);
    EXPECT_EQ(parseFloat("0x10"), 0.0);  // no hexadecimal
    EXPECT_EQ(parseFloat("infinity"), 0.0);
    EXPECT_EQ(parseFloat("-.5e1"), -5.0);
}
