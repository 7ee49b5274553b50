#include "audio/engine/QXMixerThread.h"

#include <algorithm>
#include <chrono>

QXMixerThread::QXMixerThread(QXMixer& mixer, QXAudioDevice& device)
    : mixer_(mixer), device_(device), buffer_(2 * kMixBlockFrames), thread_([this] { run(); }) {}

QXMixerThread::~QXMixerThread() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

void QXMixerThread::run() {
    while (running_) {
        int frames = device_.writableFrames();
        while (frames > 0 && running_) {
            const int block = std::min(frames, kMixBlockFrames);
            mixer_.render(buffer_.data(), block);
            device_.write(buffer_.data(), block);
            written_ += block;
            frames -= block;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(device_.pollIntervalMs()));
    }
}
