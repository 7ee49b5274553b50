#include "netgame/win32/Win32Joystick.h"

#define DIRECTINPUT_VERSION 0x0500
#include <dinput.h>
#include <mmsystem.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "netgame/QXJoystick.h"

namespace {
constexpr DWORD kDirectInputVersion = 0x0500;
constexpr DWORD kCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

constexpr GUID kIIDDirectInput2A = {0x5944E662, 0xAA8A, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kIIDDirectInputDevice2A = {
    0x5944E682, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// The object kinds of the standard joystick data format.
constexpr GUID kXAxis = {0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kYAxis = {0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kZAxis = {0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kRxAxis = {0xA36D02F4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kRyAxis = {0xA36D02F5, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kRzAxis = {0xA36D02E3, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kSlider = {0xA36D02E4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kPov = {0xA36D02F2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

using DirectInputCreateFn = HRESULT(WINAPI*)(HINSTANCE, DWORD, IDirectInputA**, IUnknown*);

// The standard joystick data format (DIJOYSTATE): six axes, two sliders,
// four points of view and 32 buttons, every object optional. Built here so
// that nothing of DirectInput is linked in.
class JoystickDataFormat {
public:
    JoystickDataFormat() {
        const GUID* axes[] = {&kXAxis, &kYAxis, &kZAxis, &kRxAxis, &kRyAxis, &kRzAxis, &kSlider, &kSlider};
        constexpr DWORD kAxisType = DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE;
        constexpr DWORD kPovType = DIDFT_OPTIONAL | DIDFT_POV | DIDFT_ANYINSTANCE;
        constexpr DWORD kButtonType = DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE;
        std::size_t n = 0;
        for (int i = 0; i < 8; ++i)
            objects_[n++] = {axes[i], static_cast<DWORD>(i * sizeof(LONG)), kAxisType, DIDOI_ASPECTPOSITION};
        for (int i = 0; i < 4; ++i)
            objects_[n++] = {&kPov, static_cast<DWORD>(offsetof(DIJOYSTATE, rgdwPOV) + i * sizeof(DWORD)), kPovType, 0};
        for (int i = 0; i < kJoyButtons; ++i)
            objects_[n++] = {nullptr, static_cast<DWORD>(offsetof(DIJOYSTATE, rgbButtons) + i), kButtonType, 0};
        format_ = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE),
                   static_cast<DWORD>(objects_.size()), objects_.data()};
    }
    DIDATAFORMAT* get() { return &format_; }

private:
    std::array<DIOBJECTDATAFORMAT, 8 + 4 + kJoyButtons> objects_{};
    DIDATAFORMAT format_{};
};

DIDATAFORMAT* joystickDataFormat() {
    static JoystickDataFormat format;
    return format.get();
}

// One opened controller, released with its record.
class Win32JoyDevice final : public QXJoyDevice {
public:
    explicit Win32JoyDevice(IDirectInputDevice2A* device) : device_(device) {}
    ~Win32JoyDevice() override {
        device_->Unacquire();
        device_->Release();
    }
    Win32JoyDevice(const Win32JoyDevice&) = delete;
    Win32JoyDevice& operator=(const Win32JoyDevice&) = delete;

    bool read(QXJoyRawState& state) override {
        if (FAILED(device_->Poll())) {
            device_->Acquire();
            if (FAILED(device_->Poll())) return false;
        }
        DIJOYSTATE raw{};
        if (FAILED(device_->GetDeviceState(sizeof raw, &raw))) return false;
        static_assert(sizeof state.values == offsetof(DIJOYSTATE, rgbButtons));
        static_assert(sizeof state.buttons == sizeof raw.rgbButtons);
        std::memcpy(state.values.data(), &raw, sizeof state.values);
        std::memcpy(state.buttons.data(), raw.rgbButtons, sizeof state.buttons);
        return true;
    }

private:
    IDirectInputDevice2A* device_;
};

// The span of the value at `offset` in the joystick state; the full 16-bit
// span when the device does not tell.
QXJoyRange rangeAt(IDirectInputDevice2A& device, DWORD offset) {
    DIPROPRANGE property{};
    property.diph.dwSize = sizeof property;
    property.diph.dwHeaderSize = sizeof property.diph;
    property.diph.dwObj = offset;
    property.diph.dwHow = DIPH_BYOFFSET;
    if (FAILED(device.GetProperty(DIPROP_RANGE, &property.diph))) return {};
    return joyRangeOf(property.lMin, property.lMax);
}

// The controller of an enumerated joystick, or null when it cannot be set up.
std::unique_ptr<QXJoyController> openController(IDirectInput2A& input, const DIDEVICEINSTANCEA& instance) {
    IDirectInputDeviceA* first = nullptr;
    if (FAILED(input.CreateDevice(instance.guidInstance, &first, nullptr)) || !first) return nullptr;
    IDirectInputDevice2A* device = nullptr;
    const HRESULT found = first->QueryInterface(kIIDDirectInputDevice2A, reinterpret_cast<void**>(&device));
    first->Release();
    if (FAILED(found) || !device) return nullptr;
    auto wrapped = std::make_unique<Win32JoyDevice>(device);
    if (FAILED(device->SetCooperativeLevel(nullptr, kCooperation)) ||
        FAILED(device->SetDataFormat(joystickDataFormat())))
        return nullptr;

    const BYTE subtype = HIBYTE(LOWORD(instance.dwDevType));
    const QXJoyType type = subtype == DIDEVTYPEJOYSTICK_GAMEPAD ? kJoyGamepad : kJoyJoystick;
    std::array<QXJoyRange, kJoyValueCount> ranges;
    for (int value = 0; value < kJoyValueCount; ++value)
        ranges[static_cast<std::size_t>(value)] = rangeAt(*device, static_cast<DWORD>(value * sizeof(LONG)));
    return std::make_unique<QXJoyController>(std::move(wrapped), type, ranges);
}

BOOL CALLBACK addJoystick(const DIDEVICEINSTANCEA* instance, void* context) {
    // Nothing may unwind through DirectInput: a controller that cannot be
    // recorded is skipped.
    try {
        if (instance && LOBYTE(instance->dwDevType) == DIDEVTYPE_JOYSTICK) {
            if (auto controller = openController(*static_cast<IDirectInput2A*>(context), *instance))
                joysticks().add(std::move(controller));
        }
    } catch (...) {
    }
    return joysticks().full() ? DIENUM_STOP : DIENUM_CONTINUE;
}
}  // namespace

std::uint32_t joystickClock() { return timeGetTime(); }

// ---------------------------------------------------------------- module

Win32Joystick::Win32Joystick() { registerModule("Win32Joystick", nullptr, nullptr); }

QX_MODULE_INSTANCE(Win32Joystick, 16);

bool Win32Joystick::startup() {
    joysticks().clear();
    joysticks().setFinder([] { theWin32Joystick.findJoysticks(); });
    return true;
}

void Win32Joystick::shutdown() {
    joysticks().setFinder(nullptr);
    joysticks().clear();
    releaseDirectInput();
}

void Win32Joystick::findJoysticks() {
    if (!input_ && !createDirectInput()) return;
    input_->EnumDevices(DIDEVTYPE_JOYSTICK, addJoystick, input_, DIEDFL_ATTACHEDONLY);
}

bool Win32Joystick::createDirectInput() {
    library_ = LoadLibraryA("dinput.dll");
    if (!library_) return false;
    auto create = reinterpret_cast<DirectInputCreateFn>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DirectInputCreateA")));
    IDirectInputA* first = nullptr;
    if (create && SUCCEEDED(create(GetModuleHandleA(nullptr), kDirectInputVersion, &first, nullptr)) && first) {
        IDirectInput2A* second = nullptr;
        if (SUCCEEDED(first->QueryInterface(kIIDDirectInput2A, reinterpret_cast<void**>(&second)))) input_ = second;
        first->Release();
    }
    if (!input_) releaseDirectInput();
    return input_ != nullptr;
}

void Win32Joystick::releaseDirectInput() {
    if (input_) input_->Release();
    input_ = nullptr;
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
}
