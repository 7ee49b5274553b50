#!/usr/bin/env python3
"""Writes random_reference.txt: sequences of the language's random generator,
computed here from the generator's definition alone (exact rational
arithmetic for Rand), for RandomTest.cpp to compare the runtime against.

Each line is one command and what it must give:
    S seed state                    SeedRnd seed, then RndSeed
    F from to result state          Rnd from, to (floats as IEEE single bits, hex)
    I from to result state          Rand from, to
"""
import random
import struct
import sys
from fractions import Fraction

MODULUS = 2147483647
START_STATE = 0x1234


def trunc_div(a, b):
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def trunc_mod(a, b):
    return a - b * trunc_div(a, b)


class Generator:
    def __init__(self):
        self.state = START_STATE

    def step(self):
        s = self.state
        s = trunc_mod(s, 44488) * 48271 - trunc_div(s, 44488) * 3399
        if s < 0:
            s += MODULUS
        self.state = s
        return s

    def seed(self, seed):
        self.state = seed & 0x7FFFFFFF
        if self.state == 0:
            self.state = 1

    def rnd(self, low, high):
        r = (self.step() & 0x0FFFFFF0) * 2.0 ** -28
        return to_single(low + r * (high - low))

    def rand(self, low, high):
        if high < low:
            low, high = high, low
        u = self.step()
        v = self.step()
        r = (Fraction(u & 0x1FFFFFFC) + Fraction(v & 0x1FFFFFF8, 2 ** 27)) / 2 ** 29
        assert 0 <= r < 1
        return low + int(r * (high - low + 1))  # int() truncates toward zero


def to_single(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def single_bits(value):
    return "%08X" % struct.unpack("<I", struct.pack("<f", value))[0]


def check_reference_values():
    g = Generator()
    assert g.step() == 224942860
    g = Generator()
    assert g.rnd(0.0, 1.0) == 0.837977409362793
    g = Generator()
    assert [g.rand(1, 6) for _ in range(5)] == [3, 2, 5, 1, 4] and g.state == 1649319252
    g = Generator()
    g.seed(1)
    assert [g.step() for _ in range(3)] == [48271, 182605794, 1291394886]


INT_MIN, INT_MAX = -2 ** 31, 2 ** 31 - 1
FIXED_RANGES = [(1, 6), (6, 1), (5, 5), (0, 1), (INT_MIN, INT_MAX), (INT_MAX, INT_MIN), (-1000, 1000),
                (INT_MAX - 1, INT_MAX), (INT_MIN, INT_MIN + 2), (0, 99)]


def operations(chooser):
    """An endless mix of Rnd and Rand calls with assorted ranges."""
    while True:
        kind = chooser.randrange(4)
        if kind == 0:
            yield "F", to_single(0.0), to_single(1.0)
        elif kind == 1:
            yield "F", to_single(chooser.uniform(-1e6, 1e6)), to_single(chooser.choice([0.0, chooser.uniform(-1e6, 1e6)]))
        elif kind == 2:
            yield ("I",) + chooser.choice(FIXED_RANGES)
        else:
            a = chooser.randint(INT_MIN, INT_MAX)
            yield "I", a, chooser.choice([a + chooser.randint(-100, 100), chooser.randint(INT_MIN, INT_MAX)])


def main(path):
    check_reference_values()
    chooser = random.Random(20240601)
    g = Generator()
    lines = []
    # The start state first, then seeds of every kind, each followed by a run of calls.
    for seed in [None, 1, 0, -1 - 0x7FFFFFFF, 12345, 2147483646, -7, 0x40000000, 987654321]:
        if seed is not None:
            g.seed(seed)
            lines.append("S %d %d" % (seed, g.state))
        ops = operations(chooser)
        for _ in range(500):
            op = next(ops)
            if op[0] == "F":
                result = g.rnd(op[1], op[2])
                lines.append("F %s %s %s %d" % (single_bits(op[1]), single_bits(op[2]), single_bits(result), g.state))
            else:
                a, b = max(INT_MIN, min(INT_MAX, op[1])), max(INT_MIN, min(INT_MAX, op[2]))
                lines.append("I %d %d %d %d" % (a, b, g.rand(a, b), g.state))
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "random_reference.txt")
