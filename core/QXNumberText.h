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
// Integer text is on the hot path of compiled code, so it is inline. It avoids
// division chains and data-dependent branches: the digit count comes from a
// table indexed by the bit length, and the digits from fixed-point products,
// two at a time from the left (each step is one widening multiply by 100).

// Room for integer text at `out`: the longest text ("-2147483648") and its
// terminator; writeIntText also writes scratch digits into it past shorter texts.
constexpr int kIntTextRoom = 12;
static_assert(kNumberTextCapacity >= kIntTextRoom);

namespace qxnumber {
// For each bit length b (x in [2^b, 2^(b+1))): the digit count d of 2^b in the
// high word, and in the low word 2^32 - 10^d when 10^d is reached within the
// range, so that adding x carries into the high word exactly when x >= 10^d.
struct DigitCountTable {
    std::uint64_t entries[32];
    constexpr DigitCountTable() : entries() {
        for (int b = 0; b < 32; ++b) {
            const std::uint64_t low = b == 0 ? 0 : std::uint64_t{1} << b;
            const std::uint64_t high = (std::uint64_t{1} << (b + 1)) - 1;
            std::uint64_t digits = 1;
            std::uint64_t power = 10;
            for (; power <= low; power *= 10) ++digits;
            entries[b] = (digits << 32) + (power <= high ? (std::uint64_t{1} << 32) - power : 0);
        }
    }
};
inline constexpr DigitCountTable kDigitCounts;

inline int decimalDigits(std::uint32_t n) {
    const int bitLength = 31 - __builtin_clz(n | 1);
    return static_cast<int>((n + kDigitCounts.entries[bitLength]) >> 32);
}

inline constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline void writePair(char* out, std::uint32_t pair) { __builtin_memcpy(out, kPairs + 2 * pair, 2); }

// The next two digits of a 0.32 fixed-point fraction, which moves on past them.
inline std::uint32_t nextPair(std::uint32_t& fraction) {
    const std::uint64_t scaled = std::uint64_t{fraction} * 100;
    fraction = static_cast<std::uint32_t>(scaled);
    return static_cast<std::uint32_t>(scaled >> 32);
}

// Scales for n with `pairs` digit pairs after its leading one or two digits:
// the 64-bit ceil(2^64 / 100^pairs) as two words. ((n * scale) >> 32) + 1 is
// n / 100^pairs in 32.32 fixed point, never below the true quotient and less
// than 2^-31 above it, so each later multiplication of the fraction by 100
// yields the next two digits exactly; the + 1 never carries out of the
// fraction. (Checked against every 32-bit value.)
struct PairScale {
    std::uint32_t low;
    std::uint32_t high;
};
inline constexpr PairScale kPairScales[5] = {
    {0, 0}, {4123168605u, 42949672u}, {3133608140u, 429496u}, {4154504686u, 4294u}, {4078814306u, 42u}};

// Writes the `digits` (1 to 10) decimal digits of n at `out`, and scratch digits
// after them: 10 bytes in all.
inline void writeDecimal(std::uint32_t n, int digits, char* out) {
    const int pairs = (digits - 1) >> 1;
    const int leading = digits - 2 * pairs;  // 1 or 2
    const PairScale scale = kPairScales[pairs];
    const auto carry = static_cast<std::uint32_t>((std::uint64_t{n} * scale.low) >> 32);
    const std::uint64_t fixed = std::uint64_t{n} * scale.high + carry;
    // Under 100 the digits are all in the head; the fraction is then only scratch.
    const std::uint32_t head = pairs == 0 ? n : static_cast<std::uint32_t>(fixed >> 32);
    std::uint32_t fraction = static_cast<std::uint32_t>(fixed) + 1;
    // A single leading digit is the second character of its pair; the next
    // pair overwrites the spare character.
    out[0] = kPairs[2 * head + 2 - leading];
    out[1] = kPairs[2 * head + 1];
    out += leading;
    // Always four pairs: those past the last digit are scratch, cheaper than a branch.
    writePair(out, nextPair(fraction));
    writePair(out + 2, nextPair(fraction));
    writePair(out + 4, nextPair(fraction));
    writePair(out + 6, nextPair(fraction));
}

}  // namespace qxnumber

inline int intTextLength(int value) {
    const auto sign = static_cast<std::uint32_t>(value >> 31);
    return qxnumber::decimalDigits((static_cast<std::uint32_t>(value) ^ sign) - sign) + static_cast<int>(sign & 1);
}

// With the length already known (intTextLength). `out` must have kIntTextRoom
// bytes; those after the text are overwritten, and no terminator is written.
inline void writeIntText(int value, char* out, int length) {
    const auto sign = static_cast<std::uint32_t>(value >> 31);  // all ones when negative
    const int negative = static_cast<int>(sign & 1);
    out[0] = '-';  // overwritten by the first digit when not negative
    qxnumber::writeDecimal((static_cast<std::uint32_t>(value) ^ sign) - sign, length - negative, out + negative);
}

inline int formatInt(int value, char* out) {
    const int length = intTextLength(value);
    writeIntText(value, out, length);
    out[length] = 0;
    return length;
}
