#include "graphics/ddraw/Win32DD.h"

#include "runtime/QXError.h"

namespace {
// Spelled out here so that no import library is needed for them.
constexpr GUID kIDirectDraw2 = {0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
constexpr GUID kIDirectDraw4 = {0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
constexpr GUID kIDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

using CreateFn = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);
using CreateExFn = HRESULT(WINAPI*)(GUID*, void**, REFIID, IUnknown*);

template <class T> void releaseInterface(T*& object) {
    if (object) object->Release();
    object = nullptr;
}
}  // namespace

Win32DD::Win32DD() { registerModule("Win32DD", "Graphics", "DirectDraw"); }

QX_MODULE_INSTANCE(Win32DD, 8);

bool Win32DD::startup() {
    ++generation_;
    return true;
}

void Win32DD::openDirectDraw() {
    opened_ = true;
    library_ = LoadLibraryA("ddraw.dll");
    auto create = library_ ? reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(library_, "DirectDrawCreate")))
                           : nullptr;
    if (!create || FAILED(create(nullptr, &dd1_, nullptr)) || !dd1_) {
        dd1_ = nullptr;
        if (library_) FreeLibrary(library_);
        library_ = nullptr;
        // What a failed start at program start reported, now at first use.
        state = -1;
        runtimeError("Error starting module '%s'", name);
    }
    level_ = 1;
    if (SUCCEEDED(dd1_->QueryInterface(kIDirectDraw2, reinterpret_cast<void**>(&dd2_)))) {
        level_ = 2;
        if (SUCCEEDED(dd1_->QueryInterface(kIDirectDraw4, reinterpret_cast<void**>(&dd4_)))) {
            level_ = 4;
            auto createEx =
                reinterpret_cast<CreateExFn>(reinterpret_cast<void*>(GetProcAddress(library_, "DirectDrawCreateEx")));
            if (createEx && SUCCEEDED(createEx(nullptr, reinterpret_cast<void**>(&dd7_), kIDirectDraw7, nullptr)))
                level_ = 7;
            else
                dd7_ = nullptr;
        } else {
            dd4_ = nullptr;
        }
    } else {
        dd2_ = nullptr;
    }
    dd1_->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    if (dd7_) dd7_->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
}

void Win32DD::shutdown() {
    opened_ = false;
    // Surfaces still alive hold their own reference to the DirectDraw object.
    releaseInterface(dd7_);
    releaseInterface(dd4_);
    releaseInterface(dd2_);
    releaseInterface(dd1_);
    level_ = 0;
    // Surfaces still alive load the library once more each, so it stays
    // until the last of them is gone.
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
}
