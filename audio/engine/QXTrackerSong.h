#pragma once
// Tracker modules (MOD, S3M, XM, IT) played through libxmp: the module is
// rendered at the mix rate as the mixer asks for it, on one mixer channel.

#include <cstddef>
#include <cstdint>

#include "audio/engine/QXEngineSong.h"

// The tracker player as a song loader, or null where libxmp was not built in.
QXSongLoader trackerSongLoader();

// The same over a module in memory (libxmp copies what it keeps while it
// loads), or null when libxmp refuses the bytes or was not built in.
std::unique_ptr<QXEngineSong> loadTrackerSongMemory(const std::uint8_t* data, std::size_t size, QXMixer& mixer);
