// libFuzzer targets over the sound decoders, one format each (QX_FUZZ_WAV,
// QX_FUZZ_VORBIS, QX_FUZZ_MP3, QX_FUZZ_TRACKER): any bytes give a source or
// none, and reading a source to its end stays within its buffers.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/engine/QXMixer.h"
#include "audio/engine/QXMp3Frames.h"
#include "audio/engine/QXTrackerSong.h"
#include "audio/engine/QXVorbisDecoder.h"
#include "audio/engine/QXWavDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] constexpr std::int64_t kFrameLimit = 1 << 20;
    // An exact-size copy, so reading one byte past the input is caught.
    const std::vector<std::uint8_t> bytes(data, data + size);
    data = bytes.data();
#if defined(QX_FUZZ_WAV)
    looksLikeWav(data, size);
    if (auto wav = openWavSource(std::make_unique<QXMemoryReader>(data, size))) {
        readWhole(*wav, kFrameLimit);
        wav->rewind();
        std::int16_t frames[2 * 64];
        wav->read(frames, 64);
    }
#elif defined(QX_FUZZ_VORBIS)
    looksLikeOgg(data, size);
    if (auto ogg = openVorbisMemory(data, size)) {
        readWhole(*ogg, kFrameLimit);
        if (ogg->rewind()) {
            std::int16_t frames[2 * 64];
            ogg->read(frames, 64);
        }
    }
#elif defined(QX_FUZZ_MP3)
    looksLikeMp3(data, size);
    QXMemoryReader mp3(data, size);
    if (auto stream = findMp3Stream(mp3)) {
        if (stream->firstFrame >= size || stream->header.frameBytes <= 0) __builtin_trap();
    }
#elif defined(QX_FUZZ_TRACKER)
    // A short while of the song at a low rate: the loaders and the first rows'
    // effects, as the mixer would ask for them.
    static QXMixer mixer(8000, 2);
    if (auto song = loadTrackerSongMemory(data, size, mixer)) {
        song->setLooping(true);
        if (song->play()) {
            std::int16_t out[2 * kMixBlockFrames];
            for (int block = 0; block < 4; ++block) mixer.render(out, kMixBlockFrames);
        }
        song->stop();
    }
#else
#error "name the format: QX_FUZZ_WAV, QX_FUZZ_VORBIS, QX_FUZZ_MP3 or QX_FUZZ_TRACKER"
#endif
    return 0;
}
