#include "core/QXNumberText.h"

#include <cstdlib>
#include <cstring>

#include "runtime/QXFpu.h"

namespace {

// ---------------------------------------------------------------- exact arithmetic

// An unsigned integer of up to 1280 bits, enough for f * 2^e * 10^k with any
// double f * 2^e and the k that brings it to six digits (at most ~1160 bits).
class BigUnsigned {
public:
    explicit BigUnsigned(std::uint64_t value) {
        limbs_[0] = static_cast<std::uint32_t>(value);
        limbs_[1] = static_cast<std::uint32_t>(value >> 32);
        size_ = limbs_[1] ? 2 : (limbs_[0] ? 1 : 0);
    }

    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (int i = 0; i < size_; ++i) {
            carry += static_cast<std::uint64_t>(limbs_[i]) * factor;
            limbs_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry) limbs_[size_++] = static_cast<std::uint32_t>(carry);
    }

    void multiplyPow10(int n) {
        for (; n >= 9; n -= 9) multiply(1000000000u);
        static constexpr std::uint32_t kSmall[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
        if (n > 0) multiply(kSmall[n]);
    }

    void shiftLeft(int bits) {
        if (size_ == 0 || bits == 0) return;
        const int whole = bits / 32;
        const int part = bits % 32;
        limbs_[size_ + whole] = 0;
        for (int i = size_ - 1; i >= 0; --i) {
            std::uint64_t wide = static_cast<std::uint64_t>(limbs_[i]) << part;
            limbs_[i + whole + 1] |= static_cast<std::uint32_t>(wide >> 32);
            limbs_[i + whole] = static_cast<std::uint32_t>(wide);
        }
        for (int i = 0; i < whole; ++i) limbs_[i] = 0;
        size_ += whole + 1;
        trim();
    }

    void add(const BigUnsigned& other) {
        std::uint64_t carry = 0;
        const int longer = size_ > other.size_ ? size_ : other.size_;
        for (int i = 0; i < longer; ++i) {
            carry += static_cast<std::uint64_t>(i < size_ ? limbs_[i] : 0) + (i < other.size_ ? other.limbs_[i] : 0);
            limbs_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        size_ = longer;
        if (carry) limbs_[size_++] = static_cast<std::uint32_t>(carry);
    }

    friend int compare(const BigUnsigned& a, const BigUnsigned& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_ - 1; i >= 0; --i)
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        return 0;
    }

private:
    void trim() {
        while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    }

    static constexpr int kLimbs = 40;
    std::uint32_t limbs_[kLimbs];
    int size_;
};

std::uint64_t bitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// value = mantissa * 2^exponent exactly, with an odd mantissa (value > 0).
struct BinaryParts {
    std::uint64_t mantissa;
    int exponent;
};

BinaryParts binaryParts(double value) {
    const std::uint64_t bits = bitsOf(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    const int zeros = __builtin_ctzll(mantissa);
    return {mantissa >> zeros, exponent + zeros};
}

// floor(log2(value)) for a positive finite value.
int binaryMagnitude(double value) {
    const BinaryParts parts = binaryParts(value);
    return 63 - __builtin_clzll(parts.mantissa) + parts.exponent;
}

// value * 10^n in double arithmetic (a close estimate, never exact by promise).
double scaleByPow10(double value, int n) {
    static constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    for (; n > 22; n -= 22) value *= 1e22;
    for (; n < -22; n += 22) value /= 1e22;
    return n >= 0 ? value * kPow10[n] : value / kPow10[-n];
}

// floor(value / 10^scale + 1/2), computed exactly; `estimate` is a close guess.
std::uint32_t roundedQuotientExact(double value, int scale, std::uint32_t estimate) {
    const BinaryParts parts = binaryParts(value);
    BigUnsigned numerator(parts.mantissa);
    BigUnsigned denominator(1);
    if (parts.exponent > 0)
        numerator.shiftLeft(parts.exponent);
    else
        denominator.shiftLeft(-parts.exponent);
    if (scale > 0)
        denominator.multiplyPow10(scale);
    else
        numerator.multiplyPow10(-scale);
    // value / 10^scale + 1/2 = (2n + d) / 2d
    numerator.shiftLeft(1);
    numerator.add(denominator);
    denominator.shiftLeft(1);

    std::uint32_t q = estimate;
    auto productFor = [&](std::uint32_t factor) {
        BigUnsigned product = denominator;
        product.multiply(factor);
        return product;
    };
    BigUnsigned product = productFor(q);
    while (q > 0 && compare(product, numerator) > 0) product = productFor(--q);
    for (;;) {
        BigUnsigned next = product;
        next.add(denominator);
        if (compare(next, numerator) > 0) break;
        product = next;
        ++q;
    }
    return q;
}

std::uint32_t roundedQuotient(double value, int scale, QXRounding rounding) {
    // The estimate's error is below 1e-7 (a few dozen roundings of a number
    // under 1e8), so unless it lies that close to an integer its floor is exact.
    constexpr double kMargin = 1e-6;
    const double estimate = scaleByPow10(value, -scale) + 0.5;
    const auto whole = static_cast<std::uint32_t>(estimate);
    const double fraction = estimate - whole;
    if (rounding == QXRounding::Fast && fraction > kMargin && fraction < 1 - kMargin) return whole;
    return roundedQuotientExact(value, scale, whole);
}

// ---------------------------------------------------------------- text assembly

char* writeExponent(char* out, int exponent) {
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    int magnitude = exponent < 0 ? -exponent : exponent;
    char digits[8];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    while (n < 3) digits[n++] = '0';
    while (n > 0) *out++ = digits[--n];
    return out;
}

char* copyDigits(char* out, const char* digits, int from, int to) {
    for (int i = from; i < to; ++i) *out++ = digits[i];
    return out;
}

char* writeZeros(char* out, int count) {
    for (int i = 0; i < count; ++i) *out++ = '0';
    return out;
}

char* writeSixDigits(char* out, QXSixDigits rounded) {
    char digits[6];
    std::uint32_t d = rounded.digits;
    for (int i = 5; i >= 0; --i, d /= 10) digits[i] = static_cast<char>('0' + d % 10);
    int significant = 6;  // digits left once trailing zeros go; d1 is never 0
    while (significant > 1 && digits[significant - 1] == '0') --significant;

    const int e = rounded.exponent;
    if (e <= -3 || e >= 9) {
        *out++ = digits[0];
        *out++ = '.';
        out = copyDigits(out, digits, 1, significant);
        return writeExponent(out, e - 1);
    }
    if (e <= 0) {
        *out++ = '0';
        *out++ = '.';
        out = writeZeros(out, -e);
        return copyDigits(out, digits, 0, significant);
    }
    if (e <= 5) {
        out = copyDigits(out, digits, 0, e);
        *out++ = '.';
        return copyDigits(out, digits, e, significant > e ? significant : e + 1);
    }
    out = copyDigits(out, digits, 0, 6);
    out = writeZeros(out, e - 6);
    *out++ = '.';
    *out++ = '0';
    return out;
}

char* writeText(char* out, const char* text) {
    while (*text) *out++ = *text++;
    return out;
}

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

const char* skipSpace(const char* text) {
    while (isSpace(*text)) ++text;
    return text;
}

}  // namespace

QXSixDigits roundToSixDigits(double positive, QXRounding rounding) {
    // First guess from the binary exponent; the loop settles it exactly.
    int exponent = ((binaryMagnitude(positive) * 78913) >> 18) + 1;
    for (;;) {
        const std::uint32_t digits = roundedQuotient(positive, exponent - 6, rounding);
        if (digits >= 1000000)
            ++exponent;
        else if (digits < 100000)
            --exponent;
        else
            return {digits, exponent};
    }
}

int formatFloat(double value, char* out) {
    const std::uint64_t bits = bitsOf(value);
    const bool negative = bits >> 63;
    const std::uint64_t magnitudeBits = bits & ~(std::uint64_t{1} << 63);
    char* p = out;
    if (magnitudeBits >= 0x7FF0000000000000ull) {
        if (magnitudeBits > 0x7FF0000000000000ull)
            p = writeText(p, "NaN");
        else
            p = writeText(p, negative ? "-Infinity" : "Infinity");
    } else {
        if (negative) *p++ = '-';
        if (magnitudeBits == 0)
            p = writeText(p, "0.0");
        else
            p = writeSixDigits(p, roundToSixDigits(negative ? -value : value));
    }
    *p = 0;
    return static_cast<int>(p - out);
}

int parseInt(const char* text) {
    const char* p = skipSpace(text);
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    std::uint32_t magnitude = 0;  // unsigned: overflow wraps by definition
    for (; isDigit(*p); ++p) magnitude = magnitude * 10 + static_cast<std::uint32_t>(*p - '0');
    return static_cast<int>(negative ? 0u - magnitude : magnitude);
}

double parseFloat(const char* text) {
    const char* number = skipSpace(text);
    const char* p = number;
    if (*p == '-' || *p == '+') ++p;
    const char* mantissa = p;
    bool anyDigit = false;
    for (; isDigit(*p); ++p) anyDigit = true;
    if (*p == '.')
        for (++p; isDigit(*p); ++p) anyDigit = true;
    if (!anyDigit) return 0.0;
    // The C library would read 0x... as hexadecimal; here it is 0 followed by text.
    if (mantissa[0] == '0' && (mantissa[1] == 'x' || mantissa[1] == 'X')) return *number == '-' ? -0.0 : 0.0;
    QXFpuPrecisionGuard fullPrecision;
    return std::strtod(number, nullptr);
}
