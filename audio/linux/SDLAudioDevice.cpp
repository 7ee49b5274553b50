#include "audio/linux/SDLAudioDevice.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {
constexpr int kPeriodFrames = 512;
constexpr int kPollMs = 5;  // QXAudioDevice's poll interval

extern "C" void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes its own complaints (no card, an unknown device) to standard
// error, which on this host carries the program's runtime errors: a machine
// without sound is silent here, as it is on Windows. SDL loads libasound
// itself; this takes the same library and gives it a handler that says nothing.
void quietAlsa() {
    static const bool done = [] {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
            auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
            if (setHandler) setHandler(ignoreAlsaMessage);
        }
        return true;
    }();
    (void)done;
}

std::int64_t nowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

SDLAudioDevice::~SDLAudioDevice() { close(); }

bool SDLAudioDevice::open(int rate) {
    close();
    quietAlsa();
    // SDL would take SIGINT and SIGTERM and turn them into a quit event no
    // one reads: Ctrl+C would no longer end the program.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_DEFAULT);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kPeriodFrames;
    want.callback = feed;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device takes, so the
    // callback always sees the mixer's own format.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        close();
        return false;
    }
    const int period = have.samples > 0 ? have.samples : kPeriodFrames;
    margin_ = rate * kMarginMs / 1000;
    lead_ = std::min(std::max(rate * kLeadMs / 1000, period + margin_ + rate * kPollMs / 1000), kRingFrames / 2);
    readFrame_ = queued_ = 0;
    seenDryRuns_ = 0;
    dryRuns_ = 0;
    written_ = false;
    closing_ = false;
    pace_ = QXOutputPace(rate, 2 * period + rate * kAheadMs / 1000);
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

int SDLAudioDevice::writableFrames() {
    if (device_ == 0) return 0;
    // SDL found the ring short: keep further ahead from now on.
    const int dry = dryRuns_.load();
    if (dry != seenDryRuns_) {
        seenDryRuns_ = dry;
        lead_ = std::min(2 * lead_, kRingFrames / 2);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return std::max(0, lead_ - queued_);
}

void SDLAudioDevice::write(const std::int16_t* frames, int count) {
    if (device_ == 0 || count <= 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    count = std::min(count, kRingFrames - queued_);
    int at = (readFrame_ + queued_) % kRingFrames;
    for (int done = 0; done < count;) {
        const int part = std::min(count - done, kRingFrames - at);
        std::memcpy(&ring_[2 * at], frames + 2 * done, static_cast<std::size_t>(part) * 4);
        done += part;
        at = (at + part) % kRingFrames;
    }
    queued_ += count;
    written_ = true;
}

void SDLCALL SDLAudioDevice::feed(void* self, Uint8* stream, int bytes) {
    static_cast<SDLAudioDevice*>(self)->take(reinterpret_cast<std::int16_t*>(stream), bytes / 4);
}

void SDLAudioDevice::take(std::int16_t* out, int frames) {
    // SDL holds the device's lock around this call and takes it again at
    // once for the next: closing, which needs the lock, would wait for
    // seconds behind a callback that sleeps its pace.
    const std::int64_t delay = pace_.delayBefore(nowMicros(), frames);
    if (delay > 0 && !closing_) std::this_thread::sleep_for(std::chrono::microseconds(delay));
    int got = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        got = std::min(frames, queued_);
        for (int done = 0; done < got;) {
            const int part = std::min(got - done, kRingFrames - readFrame_);
            std::memcpy(out + 2 * done, &ring_[2 * readFrame_], static_cast<std::size_t>(part) * 4);
            done += part;
            readFrame_ = (readFrame_ + part) % kRingFrames;
        }
        queued_ -= got;
    }
    if (got < frames) {
        std::memset(out + 2 * got, 0, static_cast<std::size_t>(frames - got) * 4);
        if (written_) ++dryRuns_;
    }
}

void SDLAudioDevice::close() {
    if (device_ != 0) {
        closing_ = true;
        SDL_CloseAudioDevice(device_);  // waits for the callback to return
        device_ = 0;
    }
    if (subsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
    }
}
