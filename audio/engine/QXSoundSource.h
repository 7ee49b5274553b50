#pragma once
// Decoded sound as the mixer consumes it: 16-bit frames, mono or stereo, at
// the file's own rate. A source hands them out in order (streams decode while
// they play); a loaded sample holds all of them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Everything a decoder accepts is bounded: files are untrusted.
constexpr int kMaxSoundRate = 384000;
constexpr int kMinSoundRate = 1000;
// A sample decoded whole holds at most this many frames (about 12 minutes at
// 44.1 kHz stereo, 128 MiB).
constexpr std::int64_t kMaxSampleFrames = 32 * 1024 * 1024;

struct QXPcmFormat {
    int rate = 0;
    int channels = 0;  // 1 or 2
};

class QXSoundSource {
public:
    virtual ~QXSoundSource() = default;
    virtual QXPcmFormat format() const = 0;
    // Up to `frames` interleaved frames into `out`; fewer only at the end or on
    // a decoding error (0 from then on).
    virtual int read(std::int16_t* out, int frames) = 0;
    // Back to the first frame; false when the source cannot.
    virtual bool rewind() = 0;
};

// Decoded samples waiting to be read, handed out in whole frames. A decoder
// block that ends inside a frame leaves that part here, ahead of the next
// block, so frames never go out of step and a reader never waits on a part.
class QXFrameQueue {
public:
    explicit QXFrameQueue(int channels) : channels_(channels < 1 ? 1 : channels) {}
    void append(const std::int16_t* samples, std::size_t count);
    std::size_t frames() const { return (samples_.size() - used_) / channels_; }
    // Up to `frames` whole frames into `out`; the number given.
    std::size_t take(std::int16_t* out, std::size_t frames);
    void clear();

private:
    std::size_t channels_;
    std::vector<std::int16_t> samples_;
    std::size_t used_ = 0;
};

// A whole sound in memory.
struct QXPcm {
    QXPcmFormat format;
    std::vector<std::int16_t> samples;  // frames × channels
    std::int64_t frames() const {
        return format.channels ? static_cast<std::int64_t>(samples.size()) / format.channels : 0;
    }
};

// Reads a source to its end, refusing more than `maxFrames`; null when the
// source yields nothing or too much.
std::unique_ptr<QXPcm> readWhole(QXSoundSource& source, std::int64_t maxFrames = kMaxSampleFrames);

// Where a decoder's bytes come from: a file read piece by piece, or memory.
class QXByteReader {
public:
    virtual ~QXByteReader() = default;
    // Up to `size` bytes; fewer at the end or on an error.
    virtual std::size_t read(void* into, std::size_t size) = 0;
    virtual bool seek(std::uint64_t offset) = 0;
    virtual std::uint64_t tell() const = 0;
    virtual std::uint64_t size() const = 0;
};

class QXMemoryReader final : public QXByteReader {
public:
    QXMemoryReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(void* into, std::size_t size) override;
    bool seek(std::uint64_t offset) override;
    std::uint64_t tell() const override { return position_; }
    std::uint64_t size() const override { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// A file opened for reading; null when it cannot be opened.
std::unique_ptr<QXByteReader> openFileReader(const char* path);
// The first bytes of a file (fewer when it is shorter); empty when unreadable.
std::vector<std::uint8_t> readFileHead(const char* path, std::size_t count);
