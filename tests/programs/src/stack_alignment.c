/* Commands entered with the stack at each 4-byte misalignment from 16 (0, 4,
   8, 12): compiled code keeps only 4-byte alignment, and the runtime (its SSE
   arithmetic, the C library beneath it) must give the same results at every
   one. One line per misalignment:
   "pad N: Sqr(2) ATan2(3,-1.5) Str(1234.5) Hex(255) "ab"+"cd" BankSize". */
#include "qxprog.h"

QX_CSTR(ab, "ab");
QX_CSTR(cd, "cd");
QX_CSTR(padText, "pad ");
QX_CSTR(colon, ":");
QX_CSTR(blank, " ");
static void* constants[] = {&ab, &cd, &padText, &colon, &blank, 0};

/* The call is made from assembly: these are its operands, kept in static
   storage so that no operand is addressed relative to the moving stack. */
static void* callee;
static int firstArgument, secondArgument, padding;
static int intResult;
static float floatResult;

/* Calls `callee` with two 4-byte arguments (the callee pops them), with the
   stack `padding` bytes below a 16-byte boundary at the call. */
static void callTwo(void) {
    __asm__ volatile(
        "mov %%esp, %%esi\n\t"
        "and $-16, %%esp\n\t"
        "sub %[pad], %%esp\n\t"
        "sub $8, %%esp\n\t" /* with the two arguments: 16k - 16 - pad at the call */
        "push %[b]\n\t"
        "push %[a]\n\t"
        "call *%[fn]\n\t"
        "mov %%esi, %%esp\n\t"
        : "=a"(intResult), "=t"(floatResult)
        : [fn] "m"(callee), [a] "m"(firstArgument), [b] "m"(secondArgument), [pad] "m"(padding)
        : "ecx", "edx", "esi", "memory");
}

/* As callTwo with one argument (and a float result in st(0)). */
static void callOneFloat(void) {
    __asm__ volatile(
        "mov %%esp, %%esi\n\t"
        "and $-16, %%esp\n\t"
        "sub %[pad], %%esp\n\t"
        "sub $12, %%esp\n\t" /* with the argument: 16k - 16 - pad at the call */
        "push %[a]\n\t"
        "call *%[fn]\n\t"
        "mov %%esi, %%esp\n\t"
        : "=t"(floatResult)
        : [fn] "m"(callee), [a] "m"(firstArgument), [pad] "m"(padding)
        : "eax", "ecx", "edx", "esi", "memory");
}

static void callOneInt(void) {
    __asm__ volatile(
        "mov %%esp, %%esi\n\t"
        "and $-16, %%esp\n\t"
        "sub %[pad], %%esp\n\t"
        "sub $12, %%esp\n\t"
        "push %[a]\n\t"
        "call *%[fn]\n\t"
        "mov %%esi, %%esp\n\t"
        : "=a"(intResult)
        : [fn] "m"(callee), [a] "m"(firstArgument), [pad] "m"(padding)
        : "ecx", "edx", "esi", "memory");
}

static int bitsOf(float value) {
    union {
        float real;
        int bits;
    } pun;
    pun.real = value;
    return pun.bits;
}

/* Appends `part` to `*line`, taking both references. */
static void append(QXString** line, QXString* part) {
    QXString* joined = _qxStrConcat(*line, part);
    _qxStrRelease(*line);
    _qxStrRelease(part);
    *line = joined;
}

static void appendWord(QXString** line, QXString* word) {
    _qxStrRetain(blank.s);
    append(line, blank.s);
    append(line, word);
}

void qxmain(void) {
    _qxInitCStrs(constants);
    for (int pad = 0; pad < 16; pad += 4) {
        padding = pad;
        _qxStrRetain(padText.s);
        QXString* line = padText.s;
        append(&line, _qxStrFromInt(pad));
        _qxStrRetain(colon.s);
        append(&line, colon.s);

        callee = (void*)Sqr;
        firstArgument = bitsOf(2.0f);
        callOneFloat();
        appendWord(&line, Hex(bitsOf(floatResult)));

        callee = (void*)ATan2;
        firstArgument = bitsOf(3.0f);
        secondArgument = bitsOf(-1.5f);
        callTwo();
        appendWord(&line, Hex(bitsOf(floatResult)));

        callee = (void*)_qxStrFromFloat;
        firstArgument = bitsOf(1234.5f);
        callOneInt();
        appendWord(&line, (QXString*)intResult);

        callee = (void*)Hex;
        firstArgument = 255;
        callOneInt();
        appendWord(&line, (QXString*)intResult);

        callee = (void*)_qxStrConcat;
        firstArgument = (int)ab.s;
        secondArgument = (int)cd.s;
        callTwo();
        appendWord(&line, (QXString*)intResult);

        callee = (void*)CreateBank;
        firstArgument = 1000;
        callOneInt();
        appendWord(&line, _qxStrFromInt(BankSize(intResult)));
        FreeBank(intResult);

        Print(line);
        _qxStrRelease(line);
    }
}
