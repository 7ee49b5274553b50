#pragma once
// Sound output through SDL2's audio subsystem (its audio alone, so it does not
// depend on a window). Driven as the DirectSound device is: the mixer thread
// polls how much may be written and keeps a ring of 16-bit stereo frames a
// little ahead of what SDL has taken, 30 ms or one of SDL's periods and a
// margin, doubled each time SDL finds the ring dry. SDL's callback takes
// frames from the ring, silence where it is short, and is held to real time
// (QXOutputPace) for devices that never block. Without a device SDL can open,
// open() fails and the engine does not start.

#include <SDL2/SDL_audio.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/engine/QXAudioDevice.h"
#include "audio/engine/QXOutputPace.h"

class SDLAudioDevice final : public QXAudioDevice {
public:
    static constexpr int kRingFrames = 16384;
    static constexpr int kLeadMs = 30;
    static constexpr int kMarginMs = 10;
    // How far ahead of real time a device may take frames before it is held.
    static constexpr int kAheadMs = 50;

    SDLAudioDevice() = default;
    ~SDLAudioDevice() override;
    SDLAudioDevice(const SDLAudioDevice&) = delete;
    SDLAudioDevice& operator=(const SDLAudioDevice&) = delete;

    bool open(int rate) override;
    int writableFrames() override;
    void write(const std::int16_t* frames, int count) override;
    void close() override;

    // Times SDL found the ring short since open (for tests and diagnostics).
    int dryRuns() const { return dryRuns_.load(); }

private:
    static void SDLCALL feed(void* self, Uint8* stream, int bytes);
    void take(std::int16_t* out, int frames);

    SDL_AudioDeviceID device_ = 0;
    bool subsystem_ = false;
    int lead_ = 0;
    int margin_ = 0;
    int seenDryRuns_ = 0;
    std::atomic<int> dryRuns_{0};
    std::atomic<bool> written_{false};
    std::atomic<bool> closing_{false};
    std::mutex mutex_;  // the ring, between the mixer thread and SDL's
    std::vector<std::int16_t> ring_ = std::vector<std::int16_t>(2 * kRingFrames);
    int readFrame_ = 0;
    int queued_ = 0;
    QXOutputPace pace_{44100, 0};
};
