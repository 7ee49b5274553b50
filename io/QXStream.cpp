#include "io/QXStream.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/QXString.h"
#include "runtime/QXMemory.h"
#include "runtime/QXRegistry.h"

namespace {

// ---------------------------------------------------------------- byte order

std::uint32_t decodeLittleEndian(const unsigned char* bytes, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

void encodeLittleEndian(std::uint32_t value, unsigned char* bytes, int size) {
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Reads `size` bytes as one little-endian value; bytes that do not arrive stay 0.
std::uint32_t readValue(QXStream& stream, int size) {
    unsigned char bytes[4] = {};
    stream.read(bytes, size);
    return decodeLittleEndian(bytes, size);
}

void writeValue(QXStream& stream, std::uint32_t value, int size) {
    unsigned char bytes[4];
    encodeLittleEndian(value, bytes, size);
    stream.write(bytes, size);
}

// Memory the encodings fill while they call into streams. A stream's read or
// write may end in a runtime error, and that leaves through a jump which skips
// destructors (see QXError.h): so the memory belongs to a buffer in static
// storage, never to the frame, and the next call reuses it. Program thread only.
class ScratchBuffer {
public:
    constexpr ScratchBuffer() = default;
    ~ScratchBuffer() { freeBytes(data_); }
    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;

    // At least `bytes` bytes, the current contents kept; false when they cannot be had.
    bool reserve(std::int64_t bytes) {
        if (bytes <= capacity_) return true;
        if (bytes > kMaxBlockBytes) return false;
        void* grown = std::realloc(data_, static_cast<std::size_t>(bytes));
        if (!grown) return false;
        data_ = static_cast<char*>(grown);
        capacity_ = bytes;
        return true;
    }
    // Gives back a large block, whether its last user finished or was cut short.
    void trim() {
        if (capacity_ <= kKeptBytes) return;
        freeBytes(data_);
        data_ = nullptr;
        capacity_ = 0;
    }
    char* data() const { return data_; }
    std::int64_t capacity() const { return capacity_; }

private:
    static constexpr std::int64_t kKeptBytes = 64 * 1024;
    char* data_ = nullptr;
    std::int64_t capacity_ = 0;
};

constinit ScratchBuffer stringScratch;
constinit ScratchBuffer lineScratch;
constinit ScratchBuffer copyScratch;

// The next capacity: doubles (at least one first chunk more), never past `limit`.
std::int64_t nextCapacity(std::int64_t capacity, std::int64_t limit) {
    std::int64_t step = capacity < kStreamStringFirstChunk ? kStreamStringFirstChunk : capacity;
    return limit - capacity <= step ? limit : capacity + step;
}

// Reads up to `length` bytes into the string scratch buffer; returns how
// many arrived, or -1 when memory ran out. The first chunk is zero-filled:
// bytes of a short string that never arrive read as 0.
int readStringBody(QXStream& stream, int length) {
    const std::int64_t first = length < kStreamStringFirstChunk ? length : kStreamStringFirstChunk;
    if (!stringScratch.reserve(first)) return -1;
    std::memset(stringScratch.data(), 0, static_cast<std::size_t>(first));
    std::int64_t capacity = first;
    int received = 0;
    while (received < length) {
        if (received == capacity) {
            capacity = nextCapacity(capacity, length);
            if (!stringScratch.reserve(capacity)) return -1;
        }
        const int wanted = static_cast<int>(capacity - received);
        const int got = stream.read(stringScratch.data() + received, wanted);
        if (got <= 0) break;
        received += got < wanted ? got : wanted;
        if (got < wanted) break;  // the stream has nothing more for now
    }
    return received;
}

}  // namespace

// ---------------------------------------------------------------- encodings

QXString* readStreamString(QXStream& stream) {
    unsigned char prefix[4] = {};
    // A prefix that arrives only partly names no length at all.
    if (stream.read(prefix, 4) < 4) return emptyString();
    int length = static_cast<int>(decodeLittleEndian(prefix, 4));
    if (length <= 0) return emptyString();

    stringScratch.trim();
    const int received = readStringBody(stream, length);
    if (received < 0) {
        stringScratch.trim();
        outOfMemory();
    }
    // A short string keeps its announced length (the missing bytes are
    // zero); a long one that breaks off keeps only what arrived, so a bogus
    // length never costs memory the data did not bring.
    const int size = received == length || length <= kStreamStringFirstChunk ? length : received;
    QXString* result = received > 0 ? QXString::fromBytes(stringScratch.data(), size) : emptyString();
    stringScratch.trim();
    return result;
}

// ---------------------------------------------------------------- lines

namespace {

// Copies `count` bytes to `out` without their carriage returns; returns how many were kept.
int copyWithoutReturns(char* out, const char* bytes, int count) {
    const char* const end = bytes + count;
    char* const start = out;
    while (bytes != end) {
        const auto* cr = static_cast<const char*>(std::memchr(bytes, '\r', static_cast<std::size_t>(end - bytes)));
        const char* stop = cr ? cr : end;
        std::memcpy(out, bytes, static_cast<std::size_t>(stop - bytes));
        out += stop - bytes;
        bytes = cr ? cr + 1 : end;
    }
    return static_cast<int>(out - start);
}

// A line that arrived in one piece. Most have no carriage return, or one at the end.
QXString* lineOf(const char* bytes, int count) {
    if (count == 0) return emptyString();
    const auto* cr = static_cast<const char*>(std::memchr(bytes, '\r', static_cast<std::size_t>(count)));
    if (!cr) return QXString::fromBytes(bytes, count);
    if (cr == bytes + count - 1) return count == 1 ? emptyString() : QXString::fromBytes(bytes, count - 1);
    const int kept = count - static_cast<int>(std::count(cr, bytes + count, '\r'));
    if (kept == 0) return emptyString();
    QXString* line = QXString::withLength(kept);
    copyWithoutReturns(line->data, bytes, count);
    return line;
}

struct LineReaderEntry {
    const std::type_info* type;
    QXLineReader reader;
};
constexpr int kLineReaders = 4;
constinit LineReaderEntry lineReaders[kLineReaders] = {};

}  // namespace

void setLineReader(const std::type_info& type, QXLineReader reader) {
    for (LineReaderEntry& entry : lineReaders)
        if (!entry.type || entry.type == &type) {
            entry = {&type, reader};
            return;
        }
}

QXLineBuilder::QXLineBuilder() { lineScratch.trim(); }

void QXLineBuilder::append(const char* bytes, int count) {
    if (count <= 0) return;
    if (spilled_ + count > lineScratch.capacity()) {
        // Doubles, so a long line costs few copies.
        const std::int64_t wanted = std::max<std::int64_t>(lineScratch.capacity() * 2, spilled_ + count + 4096);
        if (spilled_ + count > QXString::kMaxLength || !lineScratch.reserve(std::min(wanted, kMaxBlockBytes)))
            outOfMemory();
    }
    spilled_ += copyWithoutReturns(lineScratch.data() + spilled_, bytes, count);
}

QXString* QXLineBuilder::finish(const char* bytes, int count) {
    if (spilled_ == 0) return lineOf(bytes, count);
    append(bytes, count);
    QXString* result = QXString::fromBytes(lineScratch.data(), static_cast<int>(spilled_));
    spilled_ = 0;
    lineScratch.trim();
    return result;
}

QXString* readStreamLine(QXStream& stream) {
    // Compared by address: a reader registered by its class's own image.
    const std::type_info* type = &typeid(stream);
    for (const LineReaderEntry& entry : lineReaders)
        if (entry.type == type) return entry.reader(stream);
    // Byte by byte through read(): most lines fit the local buffer.
    QXLineBuilder line;
    char local[256];
    int used = 0;
    unsigned char byte;
    while (stream.read(&byte, 1) == 1 && byte != '\n') {
        if (byte == '\r') continue;
        if (used == static_cast<int>(sizeof local)) {
            line.append(local, used);
            used = 0;
        }
        local[used++] = static_cast<char>(byte);
    }
    return line.finish(local, used);
}

void writeStreamString(QXStream& stream, const QXString* text) {
    int length = text ? text->length : 0;
    writeValue(stream, static_cast<std::uint32_t>(length), 4);
    if (length > 0) stream.write(text->data, length);
}

void writeStreamLine(QXStream& stream, const QXString* text) {
    if (text && text->length > 0) stream.write(text->data, text->length);
    stream.write("\r\n", 2);
}

// ---------------------------------------------------------------- commands

namespace {

QXStream& streamOf(int handle) { return *checkHandle<QXStream>(handle, "Stream"); }

int QXCALL Eof(int stream) { return streamOf(stream).eof(); }
int QXCALL ReadAvail(int stream) { return streamOf(stream).avail(); }

int QXCALL ReadByte(int stream) { return static_cast<int>(readValue(streamOf(stream), 1)); }
int QXCALL ReadShort(int stream) { return static_cast<int>(readValue(streamOf(stream), 2)); }
int QXCALL ReadInt(int stream) { return static_cast<int>(readValue(streamOf(stream), 4)); }

float QXCALL ReadFloat(int stream) {
    std::uint32_t bits = readValue(streamOf(stream), 4);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QXString* QXCALL ReadString(int stream) { return readStreamString(streamOf(stream)); }
QXString* QXCALL ReadLine(int stream) { return readStreamLine(streamOf(stream)); }

void QXCALL WriteByte(int stream, int value) { writeValue(streamOf(stream), static_cast<std::uint32_t>(value), 1); }
void QXCALL WriteShort(int stream, int value) { writeValue(streamOf(stream), static_cast<std::uint32_t>(value), 2); }
void QXCALL WriteInt(int stream, int value) { writeValue(streamOf(stream), static_cast<std::uint32_t>(value), 4); }

void QXCALL WriteFloat(int stream, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeValue(streamOf(stream), bits, 4);
}

void QXCALL WriteString(int stream, QXString* text) { writeStreamString(streamOf(stream), text); }
void QXCALL WriteLine(int stream, QXString* text) { writeStreamLine(streamOf(stream), text); }

void QXCALL CopyStream(int sourceHandle, int destinationHandle, int bufferSize) {
    QXStream& source = streamOf(sourceHandle);
    QXStream& destination = streamOf(destinationHandle);
    if (bufferSize < kMinCopyBuffer || bufferSize > kMaxCopyBuffer) runtimeError("Illegal CopyStream buffer size");
    // Either stream may end the program with an error mid-copy: the buffer
    // is the static scratch one, so nothing is left to free.
    copyScratch.trim();
    if (!copyScratch.reserve(bufferSize)) outOfMemory();
    char* buffer = copyScratch.data();
    while (!source.eof() && !destination.eof()) {
        int got = source.read(buffer, bufferSize);
        if (got > 0) destination.write(buffer, got);
        if (got < bufferSize) break;
    }
    copyScratch.trim();
}

const QXSymbol commands[] = {
    QX_COMMAND("%Eof%stream", Eof),
    QX_COMMAND("%ReadAvail%stream", ReadAvail),
    QX_COMMAND("%ReadByte%stream", ReadByte),
    QX_COMMAND("%ReadShort%stream", ReadShort),
    QX_COMMAND("%ReadInt%stream", ReadInt),
    QX_COMMAND("#ReadFloat%stream", ReadFloat),
    QX_COMMAND("$ReadString%stream", ReadString),
    QX_COMMAND("$ReadLine%stream", ReadLine),
    QX_COMMAND("WriteByte%stream%byte", WriteByte),
    QX_COMMAND("WriteShort%stream%short", WriteShort),
    QX_COMMAND("WriteInt%stream%int", WriteInt),
    QX_COMMAND("WriteFloat%stream#float", WriteFloat),
    QX_COMMAND("WriteString%stream$string", WriteString),
    QX_COMMAND("WriteLine%stream$string", WriteLine),
    QX_COMMAND("CopyStream%src_stream%dest_stream%buffer_size=16384", CopyStream),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
