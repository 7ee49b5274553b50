// MP3 files decoded by the platform's own MPEG layer III codec through the
// Audio Compression Manager, a piece at a time as the source is read.

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/engine/QXMp3Frames.h"

namespace {
constexpr DWORD kInputBytes = 16 * 1024;

class Mp3Source final : public QXMp3Source {
public:
    explicit Mp3Source(QXMp3File file) : QXMp3Source(std::move(file)) {}
    ~Mp3Source() override { close(); }

    bool open() {
        MPEGLAYER3WAVEFORMAT mp3 = {};
        mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        mp3.wfx.nChannels = static_cast<WORD>(stream_.header.channels);
        mp3.wfx.nSamplesPerSec = static_cast<DWORD>(stream_.header.rate);
        mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(stream_.header.bitrateKbps) * 1000 / 8;
        mp3.wfx.nBlockAlign = 1;
        mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        mp3.wID = MPEGLAYER3_ID_MPEG;
        mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
        mp3.nBlockSize = static_cast<WORD>(stream_.header.frameBytes);
        mp3.nFramesPerBlock = 1;
        mp3.nCodecDelay = 0;
        WAVEFORMATEX pcm = {};
        pcm.wFormatTag = WAVE_FORMAT_PCM;
        pcm.nChannels = mp3.wfx.nChannels;
        pcm.nSamplesPerSec = mp3.wfx.nSamplesPerSec;
        pcm.wBitsPerSample = 16;
        pcm.nBlockAlign = static_cast<WORD>(2 * pcm.nChannels);
        pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
        if (acmStreamOpen(&acm_, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
            acm_ = nullptr;
            return false;
        }
        DWORD outputBytes = 0;
        if (acmStreamSize(acm_, kInputBytes, &outputBytes, ACM_STREAMSIZEF_SOURCE) != 0 || outputBytes == 0)
            return false;
        input_.resize(kInputBytes);
        output_.resize(std::max<DWORD>(outputBytes, 64 * 1024));
        header_.cbStruct = sizeof header_;
        header_.pbSrc = input_.data();
        header_.cbSrcLength = kInputBytes;
        header_.pbDst = output_.data();
        header_.cbDstLength = static_cast<DWORD>(output_.size());
        if (acmStreamPrepareHeader(acm_, &header_, 0) != 0) return false;
        prepared_ = true;
        return rewind();
    }

    bool rewind() override {
        inputHeld_ = 0;
        pending_.clear();
        first_ = true;
        ended_ = !reader_->seek(stream_.firstFrame);
        return !ended_;
    }

private:
    // Converts the next piece of input; false once nothing more comes out.
    bool decodeMore() override {
        while (!ended_) {
            const std::size_t got = reader_->read(input_.data() + inputHeld_, input_.size() - inputHeld_);
            inputHeld_ += got;
            const bool last = got == 0;
            header_.cbSrcLength = static_cast<DWORD>(inputHeld_);
            header_.cbDstLength = static_cast<DWORD>(output_.size());
            DWORD flags = last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN;
            if (first_) flags |= ACM_STREAMCONVERTF_START;
            first_ = false;
            if (acmStreamConvert(acm_, &header_, flags) != 0) {
                ended_ = true;
                return false;
            }
            const std::size_t used = std::min<std::size_t>(header_.cbSrcLengthUsed, inputHeld_);
            std::memmove(input_.data(), input_.data() + used, inputHeld_ - used);
            inputHeld_ -= used;
            const std::size_t produced = header_.cbDstLengthUsed / sizeof(std::int16_t);
            if (last || (used == 0 && produced == 0 && inputHeld_ == input_.size())) ended_ = true;
            if (produced > 0) {
                pending_.append(reinterpret_cast<const std::int16_t*>(output_.data()), produced);
                return true;
            }
        }
        return false;
    }

    void close() {
        if (prepared_) {
            header_.cbSrcLength = kInputBytes;
            header_.cbDstLength = static_cast<DWORD>(output_.size());
            acmStreamUnprepareHeader(acm_, &header_, 0);
        }
        if (acm_) acmStreamClose(acm_, 0);
        prepared_ = false;
        acm_ = nullptr;
    }

    HACMSTREAM acm_ = nullptr;
    ACMSTREAMHEADER header_ = {};
    bool prepared_ = false;
    bool first_ = true;
    bool ended_ = false;
    std::vector<BYTE> input_;
    std::size_t inputHeld_ = 0;
    std::vector<BYTE> output_;
};
}  // namespace

std::unique_ptr<QXSoundSource> openMp3Source(const char* path, const std::uint8_t* head, std::size_t headSize) {
    return openMp3SourceAs<Mp3Source>(path, head, headSize);
}
