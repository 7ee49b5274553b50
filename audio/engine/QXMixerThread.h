#pragma once
// The thread that keeps a device fed from the mixer.

#include <atomic>
#include <thread>
#include <vector>

#include "audio/engine/QXAudioDevice.h"
#include "audio/engine/QXMixer.h"

class QXMixerThread {
public:
    QXMixerThread(QXMixer& mixer, QXAudioDevice& device);
    ~QXMixerThread();  // stops the thread
    QXMixerThread(const QXMixerThread&) = delete;
    QXMixerThread& operator=(const QXMixerThread&) = delete;

    // Frames written to the device so far (for tests).
    std::int64_t framesWritten() const { return written_.load(); }

private:
    void run();

    QXMixer& mixer_;
    QXAudioDevice& device_;
    std::atomic<bool> running_{true};
    std::atomic<std::int64_t> written_{0};
    std::vector<std::int16_t> buffer_;
    std::thread thread_;
};
