/* Stops with the error that its argument asks for: a handle of the wrong
   kind for a stream, file or directory command, or an illegal copy buffer. */
#include "quelt.h"
#include "qxtest.h"

/* The command line holds the one word, perhaps with blanks around it. */
static int argumentIs(const char* word) {
    const char* line = (const char*)_qxStrToCStr(CommandLine());
    while (*line == ' ') ++line;
    while (*word && *line == *word) ++line, ++word;
    while (*line == ' ') ++line;
    return *word == 0 && *line == 0;
}

void qxmain(void) {
    int file = WriteFile(text("errors.tmp"));
    int dir = ReadDir(text("."));
    if (argumentIs("stream")) ReadByte(dir);
    if (argumentIs("file")) FilePos(dir);
    if (argumentIs("dir")) MoreFiles(file);
    if (argumentIs("copy")) CopyStream(file, file, 0);
    CloseFile(file);
    CloseDir(dir);
    DeleteFile(text("errors.tmp"));
    RuntimeError(text("no error"));
}
