#pragma once
// Where mixed sound goes: 16-bit interleaved stereo at the mix rate. The
// mixer thread asks how much the device can take and writes that much.

#include <cstdint>

class QXAudioDevice {
public:
    virtual ~QXAudioDevice() = default;
    // Opens the device for stereo 16-bit frames at `rate`; false when there is none.
    virtual bool open(int rate) = 0;
    // Frames the device can take now without getting ahead of its latency.
    virtual int writableFrames() = 0;
    virtual void write(const std::int16_t* frames, int count) = 0;
    virtual void close() = 0;
    // Milliseconds the mixer thread sleeps between polls.
    virtual int pollIntervalMs() const { return 5; }
};
