#pragma once
// The language's fixed rules for turning numbers into text and text into
// numbers. Everything here computes in integers or SSE doubles, so results do
// not depend on the x87 precision that compiled code runs with.

#include <cstdint>

// Room for the longest text either formatter writes, terminator included.
constexpr int kNumberTextCapacity = 32;

// Writes the decimal text of `value` and a terminator; returns the length.
int formatInt(int value, char* out);
// The length formatInt gives, so callers can write the text in place.
int intTextLength(int value);

// Writes the text of `value` (6 significant digits, fixed or exponent form)
// and a terminator; returns the length. Non-finite values give "NaN",
// "Infinity" or "-Infinity".
int formatFloat(double value, char* out);

// atoi rules on a zero-terminated text: white space, sign, decimal digits;
// wraps silently in 32 bits.
int parseInt(const char* text);

// atof rules on a zero-terminated text (decimal only: no hexadecimal, no
// "inf" or "nan"), correctly rounded to double.
double parseFloat(const char* text);

// A positive finite value rounded half away from zero to six significant
// digits: value ~ digits * 10^(exponent - 6), 100000 <= digits <= 999999.
struct QXSixDigits {
    std::uint32_t digits;
    int exponent;
};
enum class QXRounding { Fast, ExactOnly };
// `ExactOnly` skips the floating-point shortcut (both must agree; tests use it).
QXSixDigits roundToSixDigits(double positive, QXRounding rounding = QXRounding::Fast);

// ---------------------------------------------------------------- inline parts
// Integer text is on the hot path of compiled code, so it is inline.

namespace qxnumber {
inline std::uint32_t magnitudeOf(int value) {
    return value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
}

inline int decimalDigits(std::uint32_t n) {
    static constexpr std::uint32_t kPow10[10] = {1,      10,      100,      1000,      10000,
                                                 100000, 1000000, 10000000, 100000000, 1000000000};
    if (n < 10) return 1;
    // 1233 / 4096 ~ log10(2): from the bit length, a guess at most one too high.
    const int guess = ((32 - __builtin_clz(n)) * 1233) >> 12;
    return guess + 1 - (n < kPow10[guess] ? 1 : 0);
}

// Writes the digits of n backwards, two at a time, ending just before `end`.
inline void writeDecimal(std::uint32_t n, char* end) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    while (n >= 100) {
        const std::uint32_t pair = (n % 100) * 2;
        n /= 100;
        *--end = kPairs[pair + 1];
        *--end = kPairs[pair];
    }
    if (n >= 10) {
        *--end = kPairs[n * 2 + 1];
        *--end = kPairs[n * 2];
    } else {
        *--end = static_cast<char>('0' + n);
    }
}

}  // namespace qxnumber

inline int intTextLength(int value) {
    return qxnumber::decimalDigits(qxnumber::magnitudeOf(value)) + (value < 0 ? 1 : 0);
}

// With the length already known (intTextLength): no terminator is written.
inline void writeIntText(int value, char* out, int length) {
    if (value < 0) out[0] = '-';
    qxnumber::writeDecimal(qxnumber::magnitudeOf(value), out + length);
}

inline int formatInt(int value, char* out) {
    const int length = intTextLength(value);
    writeIntText(value, out, length);
    out[length] = 0;
    return length;
}

