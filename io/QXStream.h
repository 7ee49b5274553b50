#pragma once
// Byte streams: files, TCP and UDP sockets and process pipes all read and
// write through this interface, and one set of commands encodes values on
// any of them (little-endian numbers, length-prefixed strings, CR LF lines).

#include <cstdint>
#include <typeinfo>

#include "runtime/QXObject.h"

class QXString;

class QXStream : public QXResource {
public:
    // Slot order is part of the binary contract: these four follow the
    // slots of QXResource, in this order.

    // Delivers up to `count` bytes into `buffer`; returns how many it
    // delivered, 0 when nothing can come (end of data, closed or failed).
    virtual int read(void* buffer, int count) = 0;
    // Takes up to `count` bytes; returns how many it accepted (0 on failure).
    virtual int write(const void* buffer, int count) = 0;
    // Bytes that read can deliver at once without waiting; 0 when unknown.
    virtual int avail() = 0;
    // Nonzero once no more data can come.
    virtual int eof() = 0;
};

// The stream encodings, shared by the commands and by other subsystems.
// Strings returned are new references.

// A 4-byte length then that many bytes. Memory grows only as bytes
// actually arrive, so an absurd or hostile length cannot exhaust it.
QXString* readStreamString(QXStream& stream);
// The bytes up to a line feed (consumed, not kept), carriage returns dropped.
QXString* readStreamLine(QXStream& stream);

// A line reader for streams of exactly one class, which scans the class's own
// buffer instead of taking the line byte by byte through read(). The stream
// interface stays as it is (its slots are a binary contract); readStreamLine
// picks the reader by the stream's dynamic type.
using QXLineReader = QXString* (*)(QXStream& stream);
void setLineReader(const std::type_info& type, QXLineReader reader);

// Collects a line for the line readers: pieces with their carriage returns
// dropped, then the last piece. A line that arrives in one piece is made
// into the string straight from it. Holds no memory of its own (the spill
// goes to a static buffer), so a runtime error may leave it behind.
class QXLineBuilder {
public:
    QXLineBuilder();
    void append(const char* bytes, int count);
    // The line, with `count` more bytes at `bytes`; a new reference.
    QXString* finish(const char* bytes, int count);

private:
    std::int64_t spilled_ = 0;
};
void writeStreamString(QXStream& stream, const QXString* text);
void writeStreamLine(QXStream& stream, const QXString* text);

// Announced string lengths up to this size are allocated at once (and
// zero-filled where the stream breaks off); longer strings are read in
// chunks that grow with the data received.
constexpr int kStreamStringFirstChunk = 64 * 1024;
// Limits of the CopyStream buffer.
constexpr int kMinCopyBuffer = 1;
constexpr int kMaxCopyBuffer = 0x100000;
