// MP3 files decoded by libmpg123, fed from the portable framing's reader a
// piece at a time as the source is read, in the stream's own rate and
// channels (what the Windows codec gives).

#include <mpg123.h>

#include <vector>

#include "audio/engine/QXMp3Frames.h"

namespace {
constexpr std::size_t kInputBytes = 16 * 1024;
constexpr std::size_t kOutputBytes = 64 * 1024;

bool initialised() {
    static const bool ok = mpg123_init() == MPG123_OK;
    return ok;
}

class Mp3Source final : public QXMp3Source {
public:
    explicit Mp3Source(QXMp3File file) : QXMp3Source(std::move(file)) {}
    ~Mp3Source() override {
        if (decoder_) mpg123_delete(decoder_);
    }

    bool open() {
        if (!initialised()) return false;
        decoder_ = mpg123_new(nullptr, nullptr);
        if (!decoder_) return false;
        // Damaged frames end the sound quietly, as any other decoder's do.
        mpg123_param(decoder_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        // Every frame as it is, as the Windows codec gives them: the encoder's
        // info frame decodes as a frame of silence and the encoder's delay and
        // padding stay, so a sound has the same length on both systems.
        mpg123_param(decoder_, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
        mpg123_param(decoder_, MPG123_ADD_FLAGS, MPG123_IGNORE_INFOFRAME, 0);
        const int layout = stream_.header.channels == 1 ? MPG123_MONO : MPG123_STEREO;
        if (mpg123_format_none(decoder_) != MPG123_OK ||
            mpg123_format(decoder_, stream_.header.rate, layout, MPG123_ENC_SIGNED_16) != MPG123_OK)
            return false;
        input_.resize(kInputBytes);
        output_.resize(kOutputBytes);
        return rewind();
    }

    bool rewind() override {
        pending_.clear();
        ended_ = !reader_->seek(stream_.firstFrame) || mpg123_open_feed(decoder_) != MPG123_OK;
        return !ended_;
    }

private:
    // Decodes on until samples come out; false once nothing more will.
    bool decodeMore() override {
        while (!ended_) {
            std::size_t produced = 0;
            const int result = mpg123_decode(decoder_, nullptr, 0, output_.data(), output_.size(), &produced);
            if (produced > 0) {
                pending_.append(reinterpret_cast<const std::int16_t*>(output_.data()), produced / sizeof(std::int16_t));
                return true;
            }
            if (result == MPG123_NEW_FORMAT) continue;  // the format we asked for
            if (result != MPG123_NEED_MORE) break;       // the end, or a frame it cannot decode
            const std::size_t got = reader_->read(input_.data(), input_.size());
            if (got == 0 || mpg123_feed(decoder_, input_.data(), got) != MPG123_OK) break;
        }
        ended_ = true;
        return false;
    }

    mpg123_handle* decoder_ = nullptr;
    bool ended_ = false;
    std::vector<unsigned char> input_;
    std::vector<unsigned char> output_;
};
}  // namespace

std::unique_ptr<QXSoundSource> openMp3Source(const char* path, const std::uint8_t* head, std::size_t headSize) {
    return openMp3SourceAs<Mp3Source>(path, head, headSize);
}
