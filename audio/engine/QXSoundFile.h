#pragma once
// Opens a sound file by what its first bytes say it is: WAVE, Ogg Vorbis, or
// a format a platform decoder recognises (MP3 on Windows).

#include <memory>

#include "audio/engine/QXSoundSource.h"

// A platform decoder: a source for the file, or null when it is not its kind.
using QXPlatformOpener = std::unique_ptr<QXSoundSource> (*)(const char* path, const std::uint8_t* head,
                                                            std::size_t headSize);
void setPlatformSoundOpener(QXPlatformOpener opener);

std::unique_ptr<QXSoundSource> openSoundFile(const char* path);
