#pragma once
// Ogg Vorbis through stb_vorbis, decoded as it is read.

#include <memory>

#include "audio/engine/QXSoundSource.h"

bool looksLikeOgg(const std::uint8_t* head, std::size_t size);

// A source over the file, or null when it is not a Vorbis stream we can play
// (more than two channels, a rate out of bounds, a damaged header).
std::unique_ptr<QXSoundSource> openVorbisFile(const char* path);
// The same over bytes in memory, which must outlive the source.
std::unique_ptr<QXSoundSource> openVorbisMemory(const std::uint8_t* data, std::size_t size);
