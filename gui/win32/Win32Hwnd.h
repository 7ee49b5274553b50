#pragma once
// The link between runtime objects and native windows: a wrapper per window
// handle, the one window procedure every runtime window and every subclassed
// control runs through, and the translation of key and mouse messages into
// events.

#include <windows.h>

#include <cstddef>

class QXEventSource;
class QXObject;

// Receives the messages of the windows whose wrapper names it.
class Win32WndProc {
public:
    // `previous` is the window procedure to fall back on: the receiving
    // window's own, which for a control's notifications is its parent's.
    virtual LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) = 0;

protected:
    ~Win32WndProc() = default;
};

// Holds a reference on a live object and on every group above it while one
// message or one call from a native component is handled: the program may run
// in the middle of it (each event switches to the program) and free any of
// them. The innermost goes first afterwards, so a group never finds a kept
// child when it is freed; whatever the program freed goes then.
class Win32KeepAlive {
public:
    explicit Win32KeepAlive(QXObject* object);
    ~Win32KeepAlive();
    Win32KeepAlive(const Win32KeepAlive&) = delete;
    Win32KeepAlive& operator=(const Win32KeepAlive&) = delete;

private:
    static constexpr int kDepth = 16;
    void hold(QXObject* object);
    QXObject* kept_[kDepth] = {};
    int count_ = 0;
};

// Sensitivity bits.
constexpr int kSenseKeysAndButtons = 0x100;
constexpr int kSenseMotion = 0x200;

class Win32Hwnd {
public:
    Win32Hwnd() = default;
    ~Win32Hwnd() { destroy(); }
    Win32Hwnd(const Win32Hwnd&) = delete;
    Win32Hwnd& operator=(const Win32Hwnd&) = delete;

    // Detaches the current window (putting its own procedure back) and
    // subclasses `handle` (none to only detach).
    void attach(HWND handle);
    // Detaches and destroys the window; never leaves the mouse-over window dangling.
    void destroy();
    // The window for query identifiers 1 and 2, else 0.
    int query(int queryId) const;
    void setHandler(Win32WndProc* handler) { handler_ = handler; }
    void setSensitivity(int flags, QXEventSource* source) {
        sensitivity_ = flags;
        source_ = source;
    }
    // The object that lives as long as this wrapper: kept alive while one of
    // its messages is being handled, in case the program frees it meanwhile.
    void setOwner(QXObject* owner) { owner_ = owner; }
    // 0 hides the pointer over the client area; clamped to 0..6.
    void setCursor(int index);
    // Moves the system pointer to (x, y) in this window's event coordinates.
    void movePointer(int x, int y);
    // Mouse positions are reported scaled from the client size to this size
    // (both non-zero), as screens and canvases with a logical size want.
    void setVirtualSize(int width, int height) {
        virtualWidth_ = width;
        virtualHeight_ = height;
    }
    void clientRect(int& x, int& y, int& width, int& height) const;

    HWND hwnd() const { return hwnd_; }
    WNDPROC previous() const { return previous_; }
    Win32WndProc* handler() const { return handler_; }
    int sensitivity() const { return sensitivity_; }
    QXEventSource* source() const { return source_; }
    QXObject* owner() const { return owner_; }
    int cursor() const { return cursor_; }
    int lastX() const { return lastX_; }
    int lastY() const { return lastY_; }

    // Turns a key or mouse message into events (nothing consumes the message).
    void translate(UINT message, WPARAM wParam, LPARAM lParam);
    // The window went without us (its parent took it along).
    void forget();

private:
    void emit(int id, int data, int x, int y, int z);
    // The position of a mouse message in event coordinates.
    void pointFromMessage(LPARAM lParam, int& x, int& y) const;
    void translateKeyDown(WPARAM wParam, LPARAM lParam);
    void translateMouseMove(LPARAM lParam);

    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr;
    Win32WndProc* handler_ = nullptr;
    int sensitivity_ = 0;
    QXEventSource* source_ = nullptr;
    int cursor_ = 1;
    int lastX_ = 0;
    int lastY_ = 0;
    int virtualWidth_ = 0;
    int virtualHeight_ = 0;
    QXObject* owner_ = nullptr;
};

// The wrapper used inside gadgets.
class Win32Gadget : public Win32Hwnd {};

// The runtime's window class, registered on first use (with the cursor table).
const char* win32WindowClass();
LRESULT CALLBACK win32SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The wrapper attached to `hwnd`, or null.
Win32Hwnd* win32WrapperOf(HWND hwnd);
std::size_t win32WindowMapSize();
// The wrapper the mouse last entered, or null.
Win32Hwnd* win32MouseOverWindow();
// The character a key without one of its own (arrows, F-keys, ...) posts, or 0.
int win32SpecialKeyCharacter(int virtualKey);
