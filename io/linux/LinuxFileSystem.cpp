// File-system commands on Linux: path queries, copying and deleting files,
// directory listings and the current directory. Paths a program gives are
// mapped by hostPath (runtime/QXHostPath.h); the current folder is reported as
// Wine shows it, ending with a backslash ("Z:\\home\\ada\\").

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "core/QXString.h"
#include "io/QXDir.h"
#include "runtime/QXHostPath.h"
#include "runtime/QXRegistry.h"

namespace {

enum FileKind { kMissing = 0, kFile = 1, kDirectory = 2 };

FileKind fileKind(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return kMissing;
    return S_ISDIR(info.st_mode) ? kDirectory : kFile;
}

// A listing taken whole when it opens: "." and ".." first, as Windows lists
// them, then the other names in byte order (readdir's order is arbitrary).
class LinuxDir final : public QXDir {
public:
    explicit LinuxDir(const std::string& directory) {
        DIR* dir = opendir(directory.c_str());
        if (!dir) return;
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names_.push_back(std::move(name));
        }
        closedir(dir);
        std::sort(names_.begin(), names_.end());
        names_.insert(names_.begin(), {".", ".."});
    }
    bool more() override { return next_ < names_.size(); }
    QXString* next() override {
        if (!more()) return emptyString();
        return newString(names_[next_++].c_str());
    }

private:
    std::vector<std::string> names_;
    std::size_t next_ = 0;
};

std::string currentDirectory() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return {};
    std::string path = buffer;
    if (path.back() != '/') path += '/';
    return programPathOf(path);
}

int QXCALL FileSize(QXString* path) {
    struct stat info {};
    if (stat(hostPath(stringCText(path)).c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return 0;
    return static_cast<int>(static_cast<std::uint32_t>(info.st_size));
}

int QXCALL FileType(QXString* path) { return fileKind(hostPath(stringCText(path))); }

// Overwrites `to`; the copy is writable whatever the source's permissions.
// A file is never copied onto itself (that would truncate it).
void copyFile(const std::string& from, const std::string& to) {
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return;
    struct stat sourceInfo {}, targetInfo {};
    const bool sameFile = stat(to.c_str(), &targetInfo) == 0 && fstat(source, &sourceInfo) == 0 &&
                          sourceInfo.st_dev == targetInfo.st_dev && sourceInfo.st_ino == targetInfo.st_ino;
    if (sameFile || fstat(source, &sourceInfo) != 0 || S_ISDIR(sourceInfo.st_mode)) {
        close(source);
        return;
    }
    const int target = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, (sourceInfo.st_mode & 0777) | S_IWUSR);
    if (target < 0) {
        close(source);
        return;
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(target, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                got = -1;
                break;
            }
            done += put;
        }
        if (got < 0) break;
    }
    close(target);
    close(source);
}

void QXCALL CopyFile(QXString* from, QXString* to) {
    copyFile(hostPath(stringCText(from)), hostPath(stringCText(to)));
}

void QXCALL DeleteFile(QXString* path) { unlink(hostPath(stringCText(path)).c_str()); }

int QXCALL ReadDir(QXString* path) {
    const std::string directory = hostPath(stringCText(path));
    if (fileKind(directory) != kDirectory) return 0;
    return handleOf(new LinuxDir(directory));
}

QXDir& dirOf(int handle) { return *checkHandle<QXDir>(handle, "Directory"); }

void QXCALL CloseDir(int dir) {
    if (dir) release(&dirOf(dir));
}

int QXCALL MoreFiles(int dir) { return dirOf(dir).more() ? 1 : 0; }
QXString* QXCALL NextFile(int dir) { return dirOf(dir).next(); }

QXString* QXCALL CurrentDir() { return newString(currentDirectory().c_str()); }

void QXCALL ChangeDir(QXString* path) { [[maybe_unused]] int ignored = chdir(hostPath(stringCText(path)).c_str()); }
void QXCALL CreateDir(QXString* path) { mkdir(hostPath(stringCText(path)).c_str(), 0777); }
void QXCALL DeleteDir(QXString* path) { rmdir(hostPath(stringCText(path)).c_str()); }

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
