// The sound engine on Linux: the portable mixer with SDL2's audio output,
// MP3 through libmpg123 and tracker modules through libxmp. MIDI files have
// no player here (no synthesiser is assumed), so they load as no song and
// PlayMusic gives 0 for them, as on Windows where the sequencer cannot open.

#include "audio/QXAudioDriver.h"
#include "audio/engine/QXMixEngine.h"
#include "audio/engine/QXMp3Frames.h"
#include "audio/engine/QXSoundFile.h"
#include "audio/engine/QXTrackerSong.h"
#include "audio/linux/SDLAudioDevice.h"

std::unique_ptr<QXSoundEngine> createPlatformSoundEngine() {
    setPlatformSoundOpener(openMp3Source);
    std::vector<QXSongLoader> songLoaders;
    if (QXSongLoader tracker = trackerSongLoader()) songLoaders.push_back(tracker);
    return std::make_unique<QXMixEngine>([] { return std::make_unique<SDLAudioDevice>(); }, std::move(songLoaders));
}
