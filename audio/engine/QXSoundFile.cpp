#include "audio/engine/QXSoundFile.h"

#include <atomic>

#include "audio/engine/QXVorbisDecoder.h"
#include "audio/engine/QXWavDecoder.h"

namespace {
std::atomic<QXPlatformOpener> platformOpener{nullptr};
}

void setPlatformSoundOpener(QXPlatformOpener opener) { platformOpener = opener; }

std::unique_ptr<QXSoundSource> openSoundFile(const char* path) {
    const std::vector<std::uint8_t> head = readFileHead(path, 64);
    if (head.empty()) return nullptr;
    if (looksLikeWav(head.data(), head.size())) return openWavSource(openFileReader(path));
    if (looksLikeOgg(head.data(), head.size())) return openVorbisFile(path);
    if (QXPlatformOpener opener = platformOpener.load()) return opener(path, head.data(), head.size());
    return nullptr;
}
