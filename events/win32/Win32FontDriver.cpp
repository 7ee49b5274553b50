#include "events/win32/Win32FontDriver.h"

#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "core/QXString.h"

namespace {
// GetTextFaceA fills at most this many bytes, the terminator included.
constexpr int kFaceNameBytes = 512;

// Measures `font` (taken over) and wraps it; null, with the font deleted,
// when it cannot be measured.
Win32Font* measuredFont(HFONT font, int size, Win32FontFile file) {
    Win32MeasuringContext context;
    TEXTMETRICA metrics{};
    char face[kFaceNameBytes] = {};
    bool measured = false;
    if (context.get()) {
        Win32SelectedFont selected(context.get(), font);
        measured = selected.selected() && GetTextMetricsA(context.get(), &metrics);
        if (measured && GetTextFaceA(context.get(), kFaceNameBytes, face) <= 0) face[0] = 0;
    }
    if (!measured) {
        DeleteObject(font);
        return nullptr;
    }
    const int style = fontStyleFromMetrics(metrics.tmWeight, metrics.tmItalic != 0, metrics.tmUnderlined != 0);
    QXString* faceName = newString(face);
    auto* result = new (std::nothrow) Win32Font(font, metrics, faceName, size, style, std::move(file));
    release(faceName);  // the font holds its own reference
    if (!result) DeleteObject(font);
    return result;
}

int pixelsPerInch(HDC context) { return context ? GetDeviceCaps(context, LOGPIXELSY) : 0; }
}  // namespace

// ---------------------------------------------------------------- module

Win32FontDriver::Win32FontDriver() { registerModule("Win32FontDriver", nullptr, nullptr); }

QX_MODULE_INSTANCE(Win32FontDriver, 6);

bool Win32FontDriver::startup() {
    context_ = CreateCompatibleDC(nullptr);
    if (!context_) return false;
    setFontDriver(this);
    return true;
}

void Win32FontDriver::shutdown() {
    if (fontDriver() == this) setFontDriver(nullptr);
    if (context_) DeleteDC(context_);
    context_ = nullptr;
}

QXFont* Win32FontDriver::createFont(const char* name, int height, int style) {
    const std::string_view requested = name ? name : "";
    Win32FontFile file;
    std::string face(requested);
    if (isFontFileName(requested)) {
        // Registered under its full name; the face it provides is expected
        // to be named as the file is.
        file = Win32FontFile(std::string(requested));
        face = fontFileFaceName(requested);
    }
    HFONT font = CreateFontA(height, 0, 0, 0, (style & kFontBold) ? kBoldWeight : kRegularWeight,
                             (style & kFontItalic) ? TRUE : FALSE, (style & kFontUnderline) ? TRUE : FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                             face.c_str());
    if (!font) return nullptr;
    Win32Font* result = measuredFont(font, height, std::move(file));
    addModuleResource(result);
    return result;
}

Win32Font* Win32FontDriver::fontFromDescription(const LOGFONTA& description) {
    HFONT font = CreateFontIndirectA(&description);
    if (!font) return nullptr;
    Win32MeasuringContext context;
    return measuredFont(font, pointSizeOfPixelHeight(description.lfHeight, pixelsPerInch(context.get())), {});
}

Win32Font* Win32FontDriver::adoptFont(HFONT font) {
    if (!font) return nullptr;
    LOGFONTA description{};
    if (GetObjectA(font, sizeof description, &description) != sizeof description) {
        DeleteObject(font);
        return nullptr;
    }
    Win32MeasuringContext context;
    return measuredFont(font, pointSizeOfPixelHeight(description.lfHeight, pixelsPerInch(context.get())), {});
}

// ---------------------------------------------------------------- helpers

Win32MeasuringContext::Win32MeasuringContext()
    : context_(theWin32FontDriver.measuringContext()), own_(context_ == nullptr) {
    if (own_) context_ = CreateCompatibleDC(nullptr);
}

Win32MeasuringContext::~Win32MeasuringContext() {
    if (own_ && context_) DeleteDC(context_);
}
