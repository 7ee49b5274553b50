#include "audio/win32/Win32DirectSoundDevice.h"

#include <dsound.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr int kFrameBytes = 4;
constexpr DWORD kBufferBytes = Win32DirectSoundDevice::kBufferFrames * kFrameBytes;
using DirectSoundCreateFn = HRESULT(WINAPI*)(LPCGUID, IDirectSound**, IUnknown*);
}  // namespace

Win32DirectSoundDevice::~Win32DirectSoundDevice() { close(); }

bool Win32DirectSoundDevice::open(int rate) {
    close();
    library_ = LoadLibraryA("dsound.dll");
    if (!library_) return false;
    auto create = reinterpret_cast<DirectSoundCreateFn>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DirectSoundCreate")));
    if (!create || FAILED(create(nullptr, &sound_, nullptr)) || !sound_ ||
        FAILED(sound_->SetCooperativeLevel(GetDesktopWindow(), DSSCL_NORMAL)) || !createBuffer(rate)) {
        close();
        return false;
    }
    return true;
}

bool Win32DirectSoundDevice::createBuffer(int rate) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = kFrameBytes;
    format.nAvgBytesPerSec = format.nSamplesPerSec * kFrameBytes;
    DSBUFFERDESC description = {};
    description.dwSize = sizeof description;
    // Keeps playing while another program has the focus.
    description.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    description.dwBufferBytes = kBufferBytes;
    description.lpwfxFormat = &format;
    if (FAILED(sound_->CreateSoundBuffer(&description, &buffer_, nullptr)) || !buffer_) return false;

    void* part = nullptr;
    DWORD partBytes = 0;
    if (SUCCEEDED(buffer_->Lock(0, kBufferBytes, &part, &partBytes, nullptr, nullptr, 0))) {
        std::memset(part, 0, partBytes);
        buffer_->Unlock(part, partBytes, nullptr, 0);
    }
    leadFrames_ = rate * kLeadMs / 1000;
    margin_ = rate * kMarginMs / 1000;
    playedFrames_ = writtenFrames_ = 0;
    lastPlayCursor_ = writeOffset_ = 0;
    return SUCCEEDED(buffer_->Play(0, 0, DSBPLAY_LOOPING));
}

int Win32DirectSoundDevice::writableFrames() {
    if (!buffer_) return 0;
    DWORD play = 0, write = 0;
    if (FAILED(buffer_->GetCurrentPosition(&play, &write))) return 0;
    // The mixer thread polls far more often than the buffer wraps, so the
    // cursor's advance since the last poll is its distance forward.
    const int advance = static_cast<int>(((play + kBufferBytes - lastPlayCursor_) % kBufferBytes) / kFrameBytes);
    playedFrames_ += advance;
    lastPlayCursor_ = play;
    // A device that takes bigger bites needs at least one bite queued.
    leadFrames_ = std::clamp(advance + margin_, leadFrames_, kBufferFrames / 2);
    if (writtenFrames_ < playedFrames_) {
        // Fell behind (this thread was not scheduled in time): keep further
        // ahead from now on, and go on from where the device plays now.
        leadFrames_ = std::min(2 * leadFrames_, kBufferFrames / 2);
        writtenFrames_ = playedFrames_;
        writeOffset_ = play;
    }
    const std::int64_t queued = writtenFrames_ - playedFrames_;
    return static_cast<int>(std::max<std::int64_t>(0, leadFrames_ - queued));
}

void Win32DirectSoundDevice::write(const std::int16_t* frames, int count) {
    if (!buffer_ || count <= 0) return;
    const DWORD bytes = static_cast<DWORD>(count) * kFrameBytes;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    HRESULT result = buffer_->Lock(writeOffset_, bytes, &first, &firstBytes, &second, &secondBytes, 0);
    if (result == DSERR_BUFFERLOST && SUCCEEDED(buffer_->Restore()))
        result = buffer_->Lock(writeOffset_, bytes, &first, &firstBytes, &second, &secondBytes, 0);
    if (FAILED(result)) return;
    const auto* source = reinterpret_cast<const std::uint8_t*>(frames);
    std::memcpy(first, source, firstBytes);
    if (second) std::memcpy(second, source + firstBytes, secondBytes);
    buffer_->Unlock(first, firstBytes, second, secondBytes);
    writeOffset_ = (writeOffset_ + bytes) % kBufferBytes;
    writtenFrames_ += count;
}

void Win32DirectSoundDevice::close() {
    if (buffer_) {
        buffer_->Stop();
        buffer_->Release();
        buffer_ = nullptr;
    }
    if (sound_) {
        sound_->Release();
        sound_ = nullptr;
    }
    if (library_) {
        FreeLibrary(library_);
        library_ = nullptr;
    }
}
