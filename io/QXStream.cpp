#include "io/QXStream.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "core/QXString.h"
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

[[noreturn]] void outOfMemory() { runtimeError("Out of memory"); }

// A byte buffer that only grows as far as data has arrived. Allocation
// failure is reported to the caller rather than thrown.
class GrowingBuffer {
public:
    GrowingBuffer() = default;
    GrowingBuffer(const GrowingBuffer&) = delete;
    GrowingBuffer& operator=(const GrowingBuffer&) = delete;
    ~GrowingBuffer() { std::free(data_); }

    // Zero-filled: bytes that never arrive read as 0.
    bool allocateZeroed(int size) {
        data_ = static_cast<char*>(std::calloc(size, 1));
        capacity_ = data_ ? size : 0;
        return data_ != nullptr;
    }
    bool growTo(int size) {
        void* grown = std::realloc(data_, size);
        if (!grown) return false;
        data_ = static_cast<char*>(grown);
        capacity_ = size;
        return true;
    }
    char* data() const { return data_; }
    int capacity() const { return capacity_; }

private:
    char* data_ = nullptr;
    int capacity_ = 0;
};

// The next capacity: doubles (at least one first chunk more), never past `limit`.
int nextCapacity(int capacity, int limit) {
    int step = capacity < kStreamStringFirstChunk ? kStreamStringFirstChunk : capacity;
    return limit - capacity <= step ? limit : capacity + step;
}

enum class StringRead { Done, OutOfMemory };

// Reads up to `length` bytes into `buffer`; `received` counts what arrived.
StringRead readStringBody(QXStream& stream, int length, GrowingBuffer& buffer, int& received) {
    received = 0;
    if (!buffer.allocateZeroed(length < kStreamStringFirstChunk ? length : kStreamStringFirstChunk))
        return StringRead::OutOfMemory;
    while (received < length) {
        if (received == buffer.capacity() && !buffer.growTo(nextCapacity(buffer.capacity(), length)))
            return StringRead::OutOfMemory;
        int wanted = buffer.capacity() - received;
        int got = stream.read(buffer.data() + received, wanted);
        if (got <= 0) break;
        received += got < wanted ? got : wanted;
        if (got < wanted) break;  // the stream has nothing more for now
    }
    return StringRead::Done;
}

}  // namespace

// ---------------------------------------------------------------- encodings

QXString* readStreamString(QXStream& stream) {
    unsigned char prefix[4] = {};
    // A prefix that arrives only partly names no length at all.
    if (stream.read(prefix, 4) < 4) return emptyString();
    int length = static_cast<int>(decodeLittleEndian(prefix, 4));
    if (length <= 0) return emptyString();

    QXString* result = nullptr;
    StringRead outcome;
    {
        GrowingBuffer buffer;
        int received = 0;
        outcome = readStringBody(stream, length, buffer, received);
        if (outcome == StringRead::Done) {
            // A short string keeps its announced length (the missing bytes are
            // zero); a long one that breaks off keeps only what arrived, so a
            // bogus length never costs memory the data did not bring.
            int size = received == length || length <= kStreamStringFirstChunk ? length : received;
            result = received > 0 ? new QXString(buffer.data(), size) : emptyString();
        }
    }
    if (outcome == StringRead::OutOfMemory) outOfMemory();
    return result;
}

QXString* readStreamLine(QXStream& stream) {
    // Most lines fit the local buffer; longer ones spill into `spill`.
    char local[256];
    int used = 0;
    std::string spill;
    QXString* result = nullptr;
    bool exhausted = false;
    try {
        unsigned char byte;
        while (stream.read(&byte, 1) == 1 && byte != '\n') {
            if (byte == '\r') continue;
            if (used == static_cast<int>(sizeof local)) {
                spill.append(local, sizeof local);
                used = 0;
            }
            local[used++] = static_cast<char>(byte);
        }
        if (spill.empty()) {
            result = used == 0 ? emptyString() : new QXString(local, used);
        } else {
            spill.append(local, static_cast<std::size_t>(used));
            result = new QXString(spill.data(), static_cast<int>(spill.size()));
        }
    } catch (const std::bad_alloc&) {
        exhausted = true;
    }
    if (exhausted) {
        std::string().swap(spill);
        outOfMemory();
    }
    return result;
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
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[bufferSize]);
    if (!buffer) outOfMemory();
    while (!source.eof() && !destination.eof()) {
        int got = source.read(buffer.get(), bufferSize);
        if (got > 0) destination.write(buffer.get(), got);
        if (got < bufferSize) break;
    }
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
