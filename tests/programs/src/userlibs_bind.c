/* User libraries bound at start from a table laid out as the compiler lays it
   out, then CallDLL with two banks. The library qx_userlib_hidden.dll exists
   only beneath queltpath. After printing its results the program calls a
   missing function: with the argument "function" one its library lacks, with
   "library" one of a library that does not exist. */
#include "qxprog.h"

static int(QXCALL* addInts)(int, int);
static int(QXCALL* fixtureTag)(void);
static int(QXCALL* notExported)(int, int);
static int(QXCALL* fromMissingLibrary)(int);

/* Names with their terminators, each function name followed by the address of
   its slot, a 0 after each library's functions, and a 0 to end the table. */
static struct __attribute__((packed)) {
    char hidden[sizeof "qx_userlib_hidden.dll"];
    char addName[sizeof "addInts"];
    void* addSlot;
    char tagName[sizeof "fixtureTag"];
    void* tagSlot;
    char notExportedName[sizeof "notExported"];
    void* notExportedSlot;
    char hiddenEnd;
    char missing[sizeof "qx_no_such_library.dll"];
    char fromMissingName[sizeof "fromMissingLibrary"];
    void* fromMissingSlot;
    char missingEnd;
    char tableEnd;
} userLibTable = {"qx_userlib_hidden.dll", "addInts", &addInts, "fixtureTag", &fixtureTag, "notExported",
                  &notExported, 0, "qx_no_such_library.dll", "fromMissingLibrary", &fromMissingLibrary, 0, 0};

QX_CSTR(queltpath, "queltpath");
QX_CSTR(hiddenFile, "/userlibs/qx_userlib_hidden.dll");
QX_CSTR(reverseCdecl, "reverseCdecl");
QX_CSTR(noSuchLibrary, "qx_no_such_library.dll");
QX_CSTR(unreachable, "unreachable");
static void* constants[] = {&queltpath, &hiddenFile, &reverseCdecl, &noSuchLibrary, &unreachable, 0};

static int argumentIs(const char* word) {
    const char* text = _qxStrToCStr(CommandLine());
    while (*text == ' ') ++text;
    while (*word && *word == *text) ++word, ++text;
    return *word == 0 && *text == 0;
}

static void printInt(int value) {
    Print(_qxStrFromInt(value));
    _qxStrTmpFree(1);
}

void qxmain(void) {
    _qxInitCStrs(constants);
    _qxLoadLibs(&userLibTable);
    printInt(addInts(2, 40));
    printInt(fixtureTag());

    int in = CreateBank(2);
    int out = CreateBank(3);
    PokeByte(in, 0, 7);
    PokeByte(in, 1, 9);
    QXString* folder = GetEnv(queltpath.s);
    QXString* library = _qxStrConcat(folder, hiddenFile.s);
    printInt(CallDLL(library, reverseCdecl.s, in, out));
    _qxStrTmpFree(1);
    _qxStrRelease(folder);
    printInt(PeekByte(out, 0));
    printInt(PeekByte(out, 1));
    printInt(PeekByte(out, 2));
    printInt(CallDLL(noSuchLibrary.s, reverseCdecl.s, 0, 0));

    if (argumentIs("function")) printInt(notExported(1, 2));
    if (argumentIs("library")) printInt(fromMissingLibrary(1));
    Print(unreachable.s);
}
