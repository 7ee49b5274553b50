// The sound engine on Windows: the portable mixer with DirectSound output.
//
// DirectSound rather than WASAPI: it is present on every Windows the runtime
// targets (WASAPI needs Vista or later), Wine routes it to the same back end,
// a polled looping buffer gives the latency bound without event plumbing, and
// it is loaded at run time like the other DirectX interfaces the runtime uses.

#include "audio/QXAudioDriver.h"
#include "audio/engine/QXMixEngine.h"
#include "audio/engine/QXMp3Frames.h"
#include "audio/engine/QXTrackerSong.h"
#include "audio/win32/Win32DirectSoundDevice.h"
#include "audio/engine/QXSoundFile.h"
#include "audio/win32/Win32MidiSong.h"

std::unique_ptr<QXSoundEngine> createPlatformSoundEngine() {
    setPlatformSoundOpener(openMp3Source);  // MP3 through the system's ACM codec
    // MIDI first: it knows its files by their first bytes.
    std::vector<QXSongLoader> songLoaders{loadMidiSong};
    if (QXSongLoader tracker = trackerSongLoader()) songLoaders.push_back(tracker);
    return std::make_unique<QXMixEngine>([] { return std::make_unique<Win32DirectSoundDevice>(); },
                                         std::move(songLoaders));
}
