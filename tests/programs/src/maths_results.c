/* Maths results inside a running program, where the x87 runs at 24-bit
   precision: each printed as the bits of its float, so that the test can
   compare them with double-precision results. Then the random generator from
   the state a process starts in. The argument "zero" takes Mod by 0,
   "overflow" the most negative integer Mod -1. */
#include "qxprog.h"

static int argumentIs(const char* word) {
    const char* text = _qxStrToCStr(CommandLine());
    while (*text == ' ') ++text;
    while (*word && *word == *text) ++word, ++text;
    return *word == 0 && *text == 0;
}

static void printOwned(QXString* text) {
    Print(text);
    _qxStrRelease(text);
}

static void printBits(float value) {
    union {
        float real;
        int bits;
    } pun;
    pun.real = value;
    printOwned(Hex(pun.bits));
}

static void printInt(int value) {
    Print(_qxStrFromInt(value));
    _qxStrTmpFree(1);
}

static void* constants[] = {0};

void qxmain(void) {
    _qxInitCStrs(constants);
    if (argumentIs("zero")) _qxMod(7, 0);
    if (argumentIs("overflow")) _qxMod(-2147483647 - 1, -1);

    printBits(Sin(33.3f));
    printBits(Cos(33.3f));
    printBits(Tan(61.3f));
    printBits(ASin(0.3f));
    printBits(ACos(0.3f));
    printBits(ATan(7.25f));
    printBits(ATan2(3.0f, -1.5f));
    printBits(Sqr(2.0f));
    printBits(Exp(0.25f));
    printBits(Log(7.25f));
    printBits(Log10(0.3f));
    printBits(Floor(-2.5f));
    printBits(_qxFPow(1.0001f, 10000.0f));
    printBits(_qxFPow(123.456f, 1.7f));
    printBits(_qxFMod(-7.5f, 2.0f));
    printBits(_qxFAbs(-3.5f));
    printBits(_qxFSgn(-0.0f));
    printInt(_qxAbs(-2147483647 - 1));
    printInt(_qxMod(-7, 3));
    printInt(_qxSgn(-5));

    /* The generator starts at 0x1234 in every process. */
    printInt(RndSeed());
    for (int i = 0; i < 5; ++i) printInt(Rand(1, 6));
    printInt(RndSeed());
    SeedRnd(0x1234);
    printBits(Rnd(0.0f, 1.0f));
    printInt(RndSeed());
}
