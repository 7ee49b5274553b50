#pragma once
// Sound output through DirectSound: one looping secondary buffer of 16-bit
// stereo that the mixer thread keeps filled a little ahead of the play
// cursor: 30 ms, or more when the device takes larger bites between two polls
// or the device ran dry once (then less would run dry again). DirectSound is loaded at run time; without it
// (or without a sound device) open() fails and the engine does not start.

#include <windows.h>

#include <cstdint>

#include "audio/engine/QXAudioDevice.h"

struct IDirectSound;
struct IDirectSoundBuffer;

class Win32DirectSoundDevice final : public QXAudioDevice {
public:
    // The buffer is far larger than the lead, so the play cursor never laps
    // it between two polls; the lead, not the buffer, sets the latency.
    static constexpr int kBufferFrames = 16384;
    static constexpr int kLeadMs = 30;
    static constexpr int kMarginMs = 10;

    Win32DirectSoundDevice() = default;
    ~Win32DirectSoundDevice() override;
    Win32DirectSoundDevice(const Win32DirectSoundDevice&) = delete;
    Win32DirectSoundDevice& operator=(const Win32DirectSoundDevice&) = delete;

    bool open(int rate) override;
    int writableFrames() override;
    void write(const std::int16_t* frames, int count) override;
    void close() override;

private:
    bool createBuffer(int rate);

    HMODULE library_ = nullptr;
    IDirectSound* sound_ = nullptr;
    IDirectSoundBuffer* buffer_ = nullptr;
    int leadFrames_ = 0;
    int margin_ = 0;
    DWORD lastPlayCursor_ = 0;   // bytes
    std::int64_t playedFrames_ = 0;
    std::int64_t writtenFrames_ = 0;
    DWORD writeOffset_ = 0;      // bytes
};
