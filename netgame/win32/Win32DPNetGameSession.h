#pragma once
// A running DirectPlay game: the DirectPlay object after a successful Open,
// seen as a net game session. Closing and releasing it ends the game.

#include <windows.h>
#include <dplay.h>

#include <utility>

#include "netgame/QXNetGame.h"

// Holds one reference to a COM object; releases it when it goes.
template <class T> class Win32DPPtr {
public:
    Win32DPPtr() = default;
    explicit Win32DPPtr(T* object) : object_(object) {}
    ~Win32DPPtr() { reset(); }
    Win32DPPtr(Win32DPPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Win32DPPtr& operator=(Win32DPPtr&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    Win32DPPtr(const Win32DPPtr&) = delete;
    Win32DPPtr& operator=(const Win32DPPtr&) = delete;

    void reset() {
        if (object_) object_->Release();
        object_ = nullptr;
    }
    T* release() { return std::exchange(object_, nullptr); }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For functions that hand out a new reference.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&object_);
    }

private:
    T* object_ = nullptr;
};

class Win32DPNetGameSession final : public QXNetSession {
public:
    // Takes over an opened DirectPlay object.
    explicit Win32DPNetGameSession(Win32DPPtr<IDirectPlay4A> directPlay);
    ~Win32DPNetGameSession() override;
    Win32DPNetGameSession(const Win32DPNetGameSession&) = delete;
    Win32DPNetGameSession& operator=(const Win32DPNetGameSession&) = delete;

    bool createPlayer(std::string_view name, QXNetPlayerId& id) override;
    void destroyPlayer(QXNetPlayerId id) override;
    bool listPlayers(std::vector<QXNetPlayerInfo>& players) override;
    bool send(QXNetPlayerId from, QXNetPlayerId to, bool reliable, const std::uint8_t* bytes,
              std::size_t size) override;
    QXNetReceipt receive(std::uint8_t* buffer, std::size_t capacity) override;
    bool discardNext() override;
    QXNetSystemEvent systemEvent(const std::uint8_t* bytes, std::size_t size) override;

private:
    Win32DPPtr<IDirectPlay4A> directPlay_;
};

// Reads a DirectPlay system message received into `bytes` (names that
// DirectPlay placed in the same bytes included); fields that lie outside
// the bytes are not read.
QXNetSystemEvent readDirectPlaySystemMessage(const std::uint8_t* bytes, std::size_t size);
