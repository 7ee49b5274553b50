#pragma once
// File streams over the standard I/O library, whose buffer makes the
// byte-at-a-time reads of the stream commands cheap.

#include <cstdio>

#include "io/QXStream.h"

class QXFile : public QXStream {
public:
    // Opens `path` with a standard I/O `mode` ("rb", "wb", "r+b" ...); null
    // when the file cannot be opened.
    static QXFile* open(const char* path, const char* mode);

    // Takes ownership of `file`, opened with `mode`.
    QXFile(std::FILE* file, const char* mode);
    ~QXFile() override;

    int read(void* buffer, int count) override;
    int write(const void* buffer, int count) override;
    int avail() override;
    // Looks one byte ahead; a file opened only for writing is always at its end.
    int eof() override;
    // Byte offset from the start (low 32 bits for files past 4 GB).
    virtual int pos();
    // Moves to `position` bytes from the start; returns the position reached.
    virtual int seek(int position);

    // ReadLine's reader for files: scans the C library's buffer for the line
    // feed and copies the line out in one piece.
    QXString* readLine();

private:
    // The C library wants a positioning call between reading and writing on
    // an update stream; the file makes it when the direction changes.
    enum class Direction : unsigned char { None, Reading, Writing };
    void turnTo(Direction direction);

    std::FILE* file_;
    bool readable_;
    bool writable_;
    Direction direction_ = Direction::None;
};
