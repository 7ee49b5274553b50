/* bank_file: memory banks and files together. Fills a bank with a small
   table of squares, writes it to a file, reads the file back into a second
   bank and prints what came back. */
#include "qxprog.h"

QX_CSTR(fileName, "squares.bin");
QX_CSTR(wrote, "Bytes written: ");
QX_CSTR(read, "Bytes read back: ");
QX_CSTR(square, "Square of ");
QX_CSTR(is, " is ");
QX_CSTR(sum, "Sum of the squares: ");
static void* constants[] = {&fileName, &wrote, &read, &square, &is, &sum, 0};

static void printWithNumber(QXString* label, int value) {
    Print(_qxStrConcat(label, _qxStrFromInt(value)));
    _qxStrTmpFree(2);
}

void qxmain(void) {
    _qxInitCStrs(constants);
    int count = 10;
    int table = CreateBank(count * 4);
    for (int i = 0; i < count; ++i) PokeInt(table, i * 4, (i + 1) * (i + 1));

    int file = WriteFile(fileName.s);
    printWithNumber(wrote.s, WriteBytes(table, file, 0, BankSize(table)));
    CloseFile(file);

    int copy = CreateBank(0);
    ResizeBank(copy, FileSize(fileName.s));
    file = ReadFile(fileName.s);
    printWithNumber(read.s, ReadBytes(copy, file, 0, BankSize(copy)));
    CloseFile(file);

    int total = 0;
    for (int i = 0; i < BankSize(copy) / 4; ++i) {
        int value = PeekInt(copy, i * 4);
        total += value;
        /* Print "Square of " + (i + 1) + " is " + value */
        Print(_qxStrConcat(_qxStrConcat(_qxStrConcat(square.s, _qxStrFromInt(i + 1)), is.s), _qxStrFromInt(value)));
        _qxStrTmpFree(5);
    }
    printWithNumber(sum.s, total);

    DeleteFile(fileName.s);
    FreeBank(copy);
    FreeBank(table);
}
