#include "io/QXFile.h"

#include <cstdint>
#include <cstring>

#include "core/QXString.h"
#include "runtime/QXHostPath.h"
#include "runtime/QXRegistry.h"

#if !defined(_WIN32)
// glibc's names for the same calls: 64-bit offsets, reading without the lock.
#define _fseeki64 fseeko64
#define _ftelli64 ftello64
#define _getc_nolock getc_unlocked
#endif

namespace {
// The bytes the C library has read ahead and not yet handed out (what its
// own getc takes from), and how to take some of them. Where the library's
// buffer is not known, there are none and every byte goes through getc.
#if defined(_WIN32) && !defined(_UCRT)
char* bufferedStart(std::FILE* file) { return file->_ptr; }
int bufferedCount(std::FILE* file) { return file->_cnt; }
void takeBuffered(std::FILE* file, int count) {
    file->_ptr += count;
    file->_cnt -= count;
}
#elif defined(__GLIBC__)
char* bufferedStart(std::FILE* file) { return file->_IO_read_ptr; }
int bufferedCount(std::FILE* file) { return static_cast<int>(file->_IO_read_end - file->_IO_read_ptr); }
void takeBuffered(std::FILE* file, int count) { file->_IO_read_ptr += count; }
#else
char* bufferedStart(std::FILE*) { return nullptr; }
int bufferedCount(std::FILE*) { return 0; }
void takeBuffered(std::FILE*, int) {}
#endif

// Reads up to this many bytes are taken byte by byte from the stdio buffer.
constexpr int kSmallRead = 16;

QXString* readFileLine(QXStream& stream) { return static_cast<QXFile&>(stream).readLine(); }
[[maybe_unused]] const bool lineReaderSet = (setLineReader(typeid(QXFile), readFileLine), true);
}  // namespace

QXFile* QXFile::open(const char* path, const char* mode) {
    std::FILE* file = std::fopen(hostPath(path).c_str(), mode);
    return file ? new QXFile(file, mode) : nullptr;
}

QXFile::QXFile(std::FILE* file, const char* mode)
    : file_(file),
      readable_(mode[0] == 'r' || std::strchr(mode, '+')),
      writable_(mode[0] != 'r' || std::strchr(mode, '+')) {}

QXFile::~QXFile() { std::fclose(file_); }

void QXFile::turnTo(Direction direction) {
    if (direction_ == direction) return;
    if (direction_ != Direction::None) _fseeki64(file_, 0, SEEK_CUR);
    direction_ = direction;
}

int QXFile::read(void* buffer, int count) {
    if (!readable_ || count <= 0) return 0;
    turnTo(Direction::Reading);
    if (count > kSmallRead) return static_cast<int>(std::fread(buffer, 1, static_cast<std::size_t>(count), file_));
    // Small reads (single bytes above all) come straight from the library's
    // buffer: the stream is used by the program thread alone, so the
    // per-call locking of fread buys nothing.
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (int i = 0; i < count; ++i) {
        int next = _getc_nolock(file_);
        if (next == EOF) return i;
        bytes[i] = static_cast<unsigned char>(next);
    }
    return count;
}

QXString* QXFile::readLine() {
    QXLineBuilder line;
    if (!readable_) return line.finish(nullptr, 0);
    turnTo(Direction::Reading);
    while (true) {
        if (const int buffered = bufferedCount(file_); buffered > 0) {
            char* start = bufferedStart(file_);
            const auto* feed = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(buffered)));
            const int taken = feed ? static_cast<int>(feed - start) : buffered;
            takeBuffered(file_, feed ? taken + 1 : taken);
            if (feed) return line.finish(start, taken);
            line.append(start, taken);
        }
        // Refills the buffer (or, unbuffered, reads one byte).
        const int next = _getc_nolock(file_);
        if (next == EOF || next == '\n') return line.finish(nullptr, 0);
        const char byte = static_cast<char>(next);
        line.append(&byte, 1);
    }
}

int QXFile::write(const void* buffer, int count) {
    if (!writable_ || count <= 0) return 0;
    turnTo(Direction::Writing);
    return static_cast<int>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), file_));
}

int QXFile::avail() { return 0; }

int QXFile::eof() {
    if (!readable_) return 1;
    turnTo(Direction::Reading);
    if (bufferedCount(file_) > 0) return 0;  // bytes still buffered
    int next = std::getc(file_);
    if (next == EOF) return 1;
    std::ungetc(next, file_);
    return 0;
}

int QXFile::pos() { return static_cast<int>(static_cast<std::uint32_t>(_ftelli64(file_))); }

int QXFile::seek(int position) {
    if (_fseeki64(file_, position, SEEK_SET) == 0) direction_ = Direction::None;
    return pos();
}

// ---------------------------------------------------------------- commands

namespace {

QXFile& fileOf(int handle) { return *checkHandle<QXFile>(handle, "File"); }

int openFileHandle(const QXString* path, const char* mode) {
    return handleOf(QXFile::open(stringCText(path), mode));
}

int QXCALL OpenFile(QXString* path) { return openFileHandle(path, "r+b"); }
int QXCALL ReadFile(QXString* path) { return openFileHandle(path, "rb"); }
int QXCALL WriteFile(QXString* path) { return openFileHandle(path, "wb"); }

void QXCALL CloseFile(int file) {
    if (file) release(&fileOf(file));
}

int QXCALL FilePos(int file) { return fileOf(file).pos(); }
int QXCALL SeekFile(int file, int position) { return fileOf(file).seek(position); }

const QXSymbol commands[] = {
    QX_COMMAND("%OpenFile$filename", OpenFile),
    QX_COMMAND("%ReadFile$filename", ReadFile),
    QX_COMMAND("%WriteFile$filename", WriteFile),
    QX_COMMAND("CloseFile%file_stream", CloseFile),
    QX_COMMAND("%FilePos%file_stream", FilePos),
    QX_COMMAND("%SeekFile%file_stream%pos", SeekFile),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
