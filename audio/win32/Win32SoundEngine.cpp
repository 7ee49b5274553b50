// The sound engine on Windows: the portable mixer with DirectSound output.
//
// DirectSound rather than WASAPI: it is present on every Windows the runtime
// targets (WASAPI needs Vista or later), Wine routes it to the same back end,
// a polled looping buffer gives the latency bound without event plumbing, and
// it is loaded at run time like the other DirectX interfaces the runtime uses.

#include "audio/QXAudioDriver.h"
#include "audio/engine/QXMixEngine.h"
#include "audio/win32/Win32DirectSoundDevice.h"

std::unique_ptr<QXSoundEngine> createPlatformSoundEngine() {
    return std::make_unique<QXMixEngine>([] { return std::make_unique<Win32DirectSoundDevice>(); });
}
