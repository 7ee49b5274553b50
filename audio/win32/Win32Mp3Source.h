#pragma once
// MP3 files decoded by the platform's own MPEG layer III codec through the
// Audio Compression Manager, a piece at a time as the source is read.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "audio/engine/QXSoundSource.h"

// A source for an MP3 file, or null when it is not one or no codec takes it.
// Fits QXPlatformOpener.
std::unique_ptr<QXSoundSource> openMp3Source(const char* path, const std::uint8_t* head, std::size_t headSize);
