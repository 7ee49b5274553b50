#pragma once
// MPEG audio layer III framing: enough of an MP3 file's structure to hand
// its frames to a platform decoder (the ID3v2 tag skipped, the first frame
// found and checked against the one after it).

#include <cstdint>
#include <memory>
#include <optional>

#include "audio/engine/QXSoundSource.h"

struct QXMp3Header {
    int rate = 0;
    int channels = 0;
    int bitrateKbps = 0;
    int frameBytes = 0;
    int samplesPerFrame = 0;
};

// The layer III frame header in four bytes, or nothing (free-format and
// reserved values are refused).
std::optional<QXMp3Header> parseMp3Header(const std::uint8_t* bytes);

struct QXMp3Stream {
    QXMp3Header header;
    std::uint64_t firstFrame = 0;  // file offset of the first frame
};

// Finds the stream in the reader's bytes (searching at most 64 KiB past the
// tag); nothing when there are not two consistent frames in a row.
std::optional<QXMp3Stream> findMp3Stream(QXByteReader& reader);

// True when the first bytes may start an MP3 file (an ID3v2 tag or a frame).
bool looksLikeMp3(const std::uint8_t* head, std::size_t size);

// An MP3 file opened for a decoder: its reader, placed at the first frame,
// and the stream's format.
struct QXMp3File {
    std::unique_ptr<QXByteReader> reader;
    QXMp3Stream stream;
};
// Nothing when the first bytes do not look like MP3, the file cannot be read
// or no stream is found in it.
std::optional<QXMp3File> openMp3File(const char* path, const std::uint8_t* head, std::size_t headSize);

// What each platform's MP3 source shares: the file's reader and stream, and
// decoded frames waiting to be read; the platform decodes more when they run out.
class QXMp3Source : public QXSoundSource {
public:
    QXMp3Source(const QXMp3Source&) = delete;
    QXMp3Source& operator=(const QXMp3Source&) = delete;

    QXPcmFormat format() const override { return {stream_.header.rate, stream_.header.channels}; }
    int read(std::int16_t* out, int frames) override;

protected:
    explicit QXMp3Source(QXMp3File file) : reader_(std::move(file.reader)), stream_(file.stream) {}
    // Puts the next decoded frames into pending_; false at the end of the
    // stream (a decoder may end a block inside a frame: it decodes on until
    // a whole one waits).
    virtual bool decodeMore() = 0;

    std::unique_ptr<QXByteReader> reader_;
    QXMp3Stream stream_;
    QXFrameQueue pending_{stream_.header.channels};
};

// The file as the platform's source class, opened: null when it is not MP3
// or its decoder refuses it. What each platform's openMp3Source does.
template <class Source>
std::unique_ptr<QXSoundSource> openMp3SourceAs(const char* path, const std::uint8_t* head, std::size_t headSize) {
    std::optional<QXMp3File> file = openMp3File(path, head, headSize);
    if (!file) return nullptr;
    auto source = std::make_unique<Source>(std::move(*file));
    if (!source->open()) return nullptr;
    return source;
}

// A source decoding the MP3 file through this platform's decoder (the
// system's ACM codec on Windows, libmpg123 on Linux), or null when it is not
// one or the decoder refuses it. Fits QXPlatformOpener.
std::unique_ptr<QXSoundSource> openMp3Source(const char* path, const std::uint8_t* head, std::size_t headSize);
