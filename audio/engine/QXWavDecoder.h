#pragma once
// RIFF WAVE files: PCM 8, 16, 24 and 32 bit, IEEE float 32, IMA ADPCM; mono
// or stereo. The data chunk is decoded as it is read, so the same source
// serves a sample loaded whole and a stream.

#include <memory>

#include "audio/engine/QXSoundSource.h"

enum class QXWavEncoding { Pcm, Float, ImaAdpcm };

struct QXWavFormat {
    QXWavEncoding encoding = QXWavEncoding::Pcm;
    int channels = 0;
    int rate = 0;
    int bitsPerSample = 0;
    int blockBytes = 0;      // bytes of one frame (PCM, float) or one ADPCM block
    int framesPerBlock = 1;  // frames one block holds
};

// True when the bytes begin like a WAVE file.
bool looksLikeWav(const std::uint8_t* head, std::size_t size);

// A source over the file's data chunk, or null when the header is malformed
// or describes something not supported. A data chunk that claims more bytes
// than the file holds ends where the file does.
std::unique_ptr<QXSoundSource> openWavSource(std::unique_ptr<QXByteReader> reader);
