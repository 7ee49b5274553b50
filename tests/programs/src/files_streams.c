/* Files written, closed, reopened and read back through the stream commands,
   then copied, listed and removed, all relative to the working directory.
   Stops with "fail: <check>" at the first wrong result. */
#include "quelt.h"
#include "qxtest.h"

static int same(QXString* a, const char* b) { return _qxStrCompare(a, text(b)) == 0; }

static void check(int ok, const char* what) {
    if (!ok) RuntimeError(_qxStrConcat(text("fail: "), text(what)));
}

static int endsWithBackslash(QXString* s) {
    const char* bytes = (const char*)_qxStrToCStr(s);
    int n = 0;
    while (bytes[n]) ++n;
    return n > 0 && bytes[n - 1] == '\\';
}

void qxmain(void) {
    int f = WriteFile(text("data.bin"));
    check(f != 0, "WriteFile");
    check(Eof(f) == 1, "Eof of a file opened for writing");
    WriteByte(f, 300);
    WriteShort(f, -1);
    WriteInt(f, -2);
    WriteFloat(f, 1.5f);
    WriteString(f, text("abc"));
    WriteLine(f, text("line one"));
    WriteLine(f, text(""));
    CloseFile(f);
    check(FileSize(text("data.bin")) == 30, "FileSize");
    check(FileType(text("data.bin")) == 1, "FileType of a file");

    f = ReadFile(text("data.bin"));
    check(ReadByte(f) == 44, "ReadByte");
    check(ReadShort(f) == 65535, "ReadShort");
    check(ReadInt(f) == -2, "ReadInt");
    check(ReadFloat(f) == 1.5f, "ReadFloat");
    check(same(ReadString(f), "abc"), "ReadString");
    check(same(ReadLine(f), "line one"), "ReadLine");
    check(Eof(f) == 0, "Eof before the last line");
    check(same(ReadLine(f), ""), "ReadLine of an empty line");
    check(Eof(f) == 1, "Eof at the end");
    check(ReadByte(f) == 0, "ReadByte at the end");
    CloseFile(f);

    /* An update stream read and then written without a seek in between. */
    f = OpenFile(text("data.bin"));
    check(ReadByte(f) == 44, "ReadByte of an update stream");
    WriteByte(f, 7);
    check(ReadByte(f) == 255, "ReadByte after a write");
    check(SeekFile(f, 1) == 1, "SeekFile");
    check(ReadByte(f) == 7, "the written byte");
    check(SeekFile(f, 1000) == 1000, "SeekFile beyond the end");
    check(FilePos(f) == 1000, "FilePos");
    CloseFile(f);

    CreateDir(text("sub"));
    check(FileType(text("sub")) == 2, "FileType of a directory");
    CopyFile(text("data.bin"), text("sub\\copy.bin"));
    check(FileSize(text("sub\\copy.bin")) == 30, "CopyFile");
    int d = ReadDir(text("sub\\"));
    int found = 0;
    while (MoreFiles(d))
        if (same(NextFile(d), "copy.bin")) found = 1;
    check(found, "ReadDir lists the copy");
    check(same(NextFile(d), ""), "NextFile after the last entry");
    CloseDir(d);
    check(ReadDir(text("data.bin")) == 0, "ReadDir of a file");

    check(endsWithBackslash(CurrentDir()), "CurrentDir ends with a backslash");
    ChangeDir(text("sub"));
    check(FileType(text("copy.bin")) == 1, "ChangeDir");
    ChangeDir(text(".."));

    DeleteFile(text("sub\\copy.bin"));
    DeleteDir(text("sub"));
    check(FileType(text("sub")) == 0, "DeleteDir");
    DeleteFile(text("data.bin"));
    check(FileType(text("data.bin")) == 0, "DeleteFile");
}
