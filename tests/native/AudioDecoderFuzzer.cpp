// libFuzzer target over the WAVE and Ogg Vorbis decoders and MP3 framing: any bytes give a
// source or none, and reading a source to its end stays within its buffers.

#include <cstddef>
#include <cstdint>

#include "audio/engine/QXMp3Frames.h"
#include "audio/engine/QXVorbisDecoder.h"
#include "audio/engine/QXWavDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::int64_t kFrameLimit = 1 << 20;
    if (auto wav = openWavSource(std::make_unique<QXMemoryReader>(data, size))) {
        readWhole(*wav, kFrameLimit);
        wav->rewind();
        std::int16_t frames[2 * 64];
        wav->read(frames, 64);
    }
    if (auto ogg = openVorbisMemory(data, size)) readWhole(*ogg, kFrameLimit);
    QXMemoryReader mp3(data, size);
    findMp3Stream(mp3);
    return 0;
}
