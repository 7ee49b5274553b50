#!/usr/bin/env python3
"""Generates the number/text tables the string unit tests check against.

The expected texts are worked out here with Python's decimal module on the
exact value of each float, independently of the runtime's own formatter:

  FloatTextTable.inc  {float bits, text}: float to text, 6 significant digits
                      rounded half away from zero, fixed or exponent form.
  TextFloatTable.inc  {text, double bits}: text to float (atof rules,
                      correctly rounded to double).

Run from anywhere:  python3 tests/unit/data/gen_number_text.py
The output is deterministic (fixed seed) and checked in beside this script.
"""

import math
import os
import random
import struct
from decimal import ROUND_HALF_UP, Decimal, getcontext

getcontext().prec = 1200
HERE = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(20240611)


def f32_bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def f32_value(bits):
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def f32_round(x):
    """The float nearest to the double x (None when it overflows)."""
    try:
        return struct.unpack("<f", struct.pack("<f", x))[0]
    except OverflowError:
        return None


def float_text(bits):
    value = f32_value(bits)
    if math.isnan(value):
        return "NaN"
    if math.isinf(value):
        return "Infinity" if value > 0 else "-Infinity"
    sign = "-" if bits >> 31 else ""
    exact = Decimal(abs(value))  # the float's exact decimal expansion
    if exact == 0:
        return sign + "0.0"
    e = exact.adjusted() + 1  # value = 0.ddd... x 10^e
    digits = exact.scaleb(6 - e).quantize(Decimal(1), rounding=ROUND_HALF_UP)
    if digits == 1000000:
        digits, e = Decimal(100000), e + 1
    d = str(int(digits))
    assert len(d) == 6
    if e <= -3 or e >= 9:
        x = e - 1
        body = d[0] + "." + d[1:].rstrip("0") + "e" + ("-" if x < 0 else "+") + "%03d" % abs(x)
    elif e <= 0:
        body = "0." + "0" * (-e) + d.rstrip("0")
    elif e <= 5:
        body = d[:e] + "." + (d[e:].rstrip("0") or "0")
    else:
        body = d + "0" * (e - 6) + ".0"
    return sign + body


def neighbours(bits, reach):
    """bits and the floats up to `reach` steps either side (same sign)."""
    out = []
    for step in range(-reach, reach + 1):
        b = bits + step
        if 0 <= b <= 0x7F7FFFFF:
            out.append(b)
    return out


def float_cases():
    chosen = []

    def add(bits, negative_too=True):
        chosen.append(bits)
        if negative_too:
            chosen.append(bits | 0x80000000)

    # Values the rules name, and the special values.
    for v in [0.0, 1.0, 0.5, 0.001, 3.14159265, 123.456, 100000.0, 12345678.0, 2.5, 1e10, 0.000015,
              123456789.0, 999999.6, 999999.4, 99999999.0, 1e8, 0.0001, 0.01, 0.1, 1e9, 1e-3, 1e-2,
              0.00099999, 0.000999999, 99999940.0, 99999950.0, 3.4028235e38, 1e38, 1e-38, 1e-45]:
        add(f32_bits(v))
    for bits in [0x7F800000, 0xFF800000, 0x7FC00000, 0xFFC00000, 0x7F800001, 0x00000001, 0x007FFFFF,
                 0x00800000, 0x7F7FFFFF, 0x3F7FFFFF, 0x3F800001]:
        chosen.append(bits)

    # Powers of two over the whole range, and powers of ten with neighbours.
    for k in range(-149, 128):
        add(f32_bits(2.0 ** k), negative_too=False)
    for k in range(-45, 39):
        p = f32_round(10.0 ** k)
        if p and p > 0:
            for b in neighbours(f32_bits(p), 2):
                add(b, negative_too=False)

    # Random bit patterns: every magnitude equally likely.
    for _ in range(1500):
        chosen.append(rng.getrandbits(32))

    # Floats at and beside the rounding ties (d1..d6 + 1/2) x 10^k.
    for _ in range(600):
        d = rng.choice([100000, 999999, 999998, 100001, 123456, rng.randint(100000, 999999)])
        k = rng.randint(-51, 33)
        tie = (Decimal(d) + Decimal("0.5")).scaleb(k)
        nearest = f32_round(float(tie))
        if nearest and nearest > 0:
            for b in neighbours(f32_bits(nearest), 1):
                add(b, negative_too=rng.random() < 0.3)

    # Ties the float holds exactly: dyadic values with exactly 7 significant
    # digits (r / 2^j), and integers (10 d + 5) x 10^i that fit the mantissa.
    for j in range(1, 11):
        lo = (10 ** 6 + 5 ** j - 1) // 5 ** j
        hi = (10 ** 7 - 1) // 5 ** j
        for _ in range(25):
            r = rng.randint(lo, hi) | 1
            if r <= hi and r * 5 ** j >= 10 ** 6:
                v = r / 2 ** j
                if f32_round(v) == v:
                    add(f32_bits(v), negative_too=rng.random() < 0.3)
    for _ in range(300):
        n = (10 * rng.randint(100000, 999999) + 5) * 10 ** rng.randint(0, 4)
        if f32_round(float(n)) == float(n):
            add(f32_bits(float(n)), negative_too=rng.random() < 0.3)
    for d in [100000, 999999, 123456]:
        add(f32_bits(d + 0.5))

    unique = []
    seen = set()
    for bits in chosen:
        if bits not in seen:
            seen.add(bits)
            unique.append(bits)
    return unique


def c_string(text):
    out = []
    for ch in text:
        if ch in '"\\':
            out.append("\\" + ch)
        elif " " <= ch <= "~":
            out.append(ch)
        else:
            out.append("\\%03o" % ord(ch))
    return '"' + "".join(out) + '"'


def double_bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def text_cases():
    """(text, value) pairs; the value is of the longest decimal prefix."""
    cases = []

    def add(text, prefix):
        cases.append((text, float(prefix) if prefix else 0.0))

    fixed = [("1.5e2x", "1.5e2"), (".5", ".5"), ("", ""), ("  -12.25abc", "-12.25"), ("+7", "+7"),
             ("1e", "1"), ("1e+", "1"), ("-.e5", ""), ("5.", "5."), ("0x1A", "0"), ("-0x1A", "-0"),
             ("inf", ""), ("nan", ""), ("\t\n\v\f\r 3", "3"), ("1e400", "1e400"), ("-1e400", "-1e400"),
             ("1e-400", "1e-400"), ("0.1", "0.1"), ("9007199254740993", "9007199254740993"),
             ("2.2250738585072011e-308", "2.2250738585072011e-308"),
             ("2.2250738585072012e-308", "2.2250738585072012e-308"),
             ("4.9406564584124654e-324", "4.9406564584124654e-324"),
             ("1.7976931348623157e308", "1.7976931348623157e308"),
             ("0.500000000000000166533453693773481063544750213623046875",
              "0.500000000000000166533453693773481063544750213623046875"),
             ("3.518437208883201171875e13", "3.518437208883201171875e13"),
             ("1.00000005960464477539062499", "1.00000005960464477539062499"),
             ("123456789012345678901234567890", "123456789012345678901234567890"),
             ("0." + "0" * 30 + "1", "0." + "0" * 30 + "1")]
    for text, prefix in fixed:
        add(text, prefix)

    for _ in range(500):
        digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 25)))
        point = rng.randint(0, len(digits))
        mantissa = digits[:point] + "." + digits[point:] if rng.random() < 0.7 else digits
        exponent = ""
        if rng.random() < 0.6:
            exponent = rng.choice("eE") + rng.choice(["", "+", "-"]) + str(rng.randint(0, 330))
        sign = rng.choice(["", "", "-", "+"])
        prefix = sign + mantissa + exponent
        suffix = rng.choice(["", "", "x", " 12", "e", ".5"]) if exponent else rng.choice(["", "", "x", " 12"])
        add(rng.choice(["", " ", "  \t"]) + prefix + suffix, prefix)

    # Halfway points between neighbouring doubles, written out exactly.
    for _ in range(150):
        x = struct.unpack("<d", struct.pack("<Q", rng.getrandbits(62) & 0x7FEFFFFFFFFFFFFF))[0]
        if x == 0 or math.isinf(x):
            continue
        nxt = math.nextafter(x, math.inf)
        half = (Decimal(x) + Decimal(nxt)) / 2
        text = format(half, "e")
        add(text, text)
    return cases


def write(path, header, rows):
    with open(os.path.join(HERE, path), "w", newline="\n") as out:
        out.write("// Generated by gen_number_text.py: do not edit.\n")
        out.write("// " + header + "\n")
        for row in rows:
            out.write(row + "\n")


def main():
    floats = float_cases()
    write("FloatTextTable.inc", "{float bits, text}",
          ["{0x%08Xu, %s}," % (bits, c_string(float_text(bits))) for bits in floats])
    texts = text_cases()
    write("TextFloatTable.inc", "{text, double bits}",
          ["{%s, 0x%016Xull}," % (c_string(text), double_bits(value)) for text, value in texts])
    print("%d float rows, %d text rows" % (len(floats), len(texts)))


if __name__ == "__main__":
    main()
