#include "audio/engine/QXSoundSource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::unique_ptr<QXPcm> readWhole(QXSoundSource& source, std::int64_t maxFrames) {
    auto pcm = std::make_unique<QXPcm>();
    pcm->format = source.format();
    const int channels = pcm->format.channels;
    if (channels < 1 || channels > 2) return nullptr;
    constexpr int kPiece = 4096;
    std::int64_t frames = 0;
    for (;;) {
        pcm->samples.resize(static_cast<std::size_t>((frames + kPiece) * channels));
        int got = source.read(pcm->samples.data() + frames * channels, kPiece);
        frames += got;
        if (frames > maxFrames) return nullptr;
        if (got < kPiece) break;
    }
    if (frames == 0) return nullptr;
    pcm->samples.resize(static_cast<std::size_t>(frames * channels));
    pcm->samples.shrink_to_fit();
    return pcm;
}

void QXFrameQueue::append(const std::int16_t* samples, std::size_t count) {
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(used_));
    used_ = 0;
    samples_.insert(samples_.end(), samples, samples + count);
}

std::size_t QXFrameQueue::take(std::int16_t* out, std::size_t frames) {
    const std::size_t given = std::min(frames, this->frames());
    std::memcpy(out, samples_.data() + used_, given * channels_ * sizeof(std::int16_t));
    used_ += given * channels_;
    return given;
}

void QXFrameQueue::clear() {
    samples_.clear();
    used_ = 0;
}

std::size_t QXMemoryReader::read(void* into, std::size_t size) {
    std::size_t count = std::min(size, size_ - position_);
    if (count) std::memcpy(into, data_ + position_, count);
    position_ += count;
    return count;
}

bool QXMemoryReader::seek(std::uint64_t offset) {
    if (offset > size_) return false;
    position_ = static_cast<std::size_t>(offset);
    return true;
}

namespace {
class FileReader final : public QXByteReader {
public:
    FileReader(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
    ~FileReader() override { std::fclose(file_); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    std::size_t read(void* into, std::size_t size) override {
        std::size_t got = std::fread(into, 1, size, file_);
        position_ += got;
        return got;
    }
    bool seek(std::uint64_t offset) override {
        if (offset > size_ || offset > 0x7FFFFFFF) return false;
        if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
        position_ = offset;
        return true;
    }
    std::uint64_t tell() const override { return position_; }
    std::uint64_t size() const override { return size_; }

private:
    std::FILE* file_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
};
}  // namespace

std::unique_ptr<QXByteReader> openFileReader(const char* path) {
    if (!path || !*path) return nullptr;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return std::make_unique<FileReader>(file, static_cast<std::uint64_t>(size));
}

std::vector<std::uint8_t> readFileHead(const char* path, std::size_t count) {
    std::vector<std::uint8_t> head;
    auto reader = openFileReader(path);
    if (!reader) return head;
    head.resize(count);
    head.resize(reader->read(head.data(), count));
    return head;
}
