// File-system commands: path queries, copying and deleting files,
// directory listings and the current directory.

#include <windows.h>

#include <string>

#include "core/QXString.h"
#include "io/win32/Win32Dir.h"
#include "runtime/QXRegistry.h"

// windows.h maps these names onto its own functions.
#undef CopyFile
#undef DeleteFile

namespace {

enum FileKind { kMissing = 0, kFile = 1, kDirectory = 2 };

FileKind fileKind(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return kMissing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kDirectory : kFile;
}

std::string currentDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(path.size()), path.data());
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);  // too small: length is the size needed
    }
}

int QXCALL FileSize(QXString* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(stringCText(path), GetFileExInfoStandard, &data)) return 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return static_cast<int>(data.nFileSizeLow);
}

int QXCALL FileType(QXString* path) { return fileKind(stringCText(path)); }

void QXCALL CopyFile(QXString* from, QXString* to) {
    const char* source = stringCText(from);
    const char* destination = stringCText(to);
    if (!CopyFileA(source, destination, FALSE)) return;
    DWORD attributes = GetFileAttributesA(source);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(destination, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

void QXCALL DeleteFile(QXString* path) { DeleteFileA(stringCText(path)); }

int QXCALL ReadDir(QXString* path) {
    const char* directory = stringCText(path);
    if (fileKind(directory) != kDirectory) return 0;
    return handleOf(new Win32Dir(directory));
}

QXDir& dirOf(int handle) { return *checkHandle<QXDir>(handle, "Directory"); }

void QXCALL CloseDir(int dir) {
    if (dir) release(&dirOf(dir));
}

int QXCALL MoreFiles(int dir) { return dirOf(dir).more() ? 1 : 0; }
QXString* QXCALL NextFile(int dir) { return dirOf(dir).next(); }

QXString* QXCALL CurrentDir() { return newString(withTrailingBackslash(currentDirectory()).c_str()); }

void QXCALL ChangeDir(QXString* path) { SetCurrentDirectoryA(stringCText(path)); }
void QXCALL CreateDir(QXString* path) { CreateDirectoryA(stringCText(path), nullptr); }
void QXCALL DeleteDir(QXString* path) { RemoveDirectoryA(stringCText(path)); }

const QXSymbol commands[] = {
    QX_COMMAND("%FileSize$file", FileSize),
    QX_COMMAND("%FileType$file", FileType),
    QX_COMMAND("CopyFile$file$to", CopyFile),
    QX_COMMAND("DeleteFile$file", DeleteFile),
    QX_COMMAND("%ReadDir$dirname", ReadDir),
    QX_COMMAND("CloseDir%dir", CloseDir),
    QX_COMMAND("%MoreFiles%dir", MoreFiles),
    QX_COMMAND("$NextFile%dir", NextFile),
    QX_COMMAND("$CurrentDir", CurrentDir),
    QX_COMMAND("ChangeDir$dir", ChangeDir),
    QX_COMMAND("CreateDir$dir", CreateDir),
    QX_COMMAND("DeleteDir$dir", DeleteDir),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
