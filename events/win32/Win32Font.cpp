#include "events/win32/Win32Font.h"

#include <cstdint>
#include <utility>

#include "core/QXString.h"
#include "events/win32/Win32FontDriver.h"

// ---------------------------------------------------------------- font files

Win32FontFile::Win32FontFile(std::string path) : path_(std::move(path)) {
    added_ = AddFontResourceA(path_.c_str()) > 0;
}

Win32FontFile::~Win32FontFile() { remove(); }

Win32FontFile::Win32FontFile(Win32FontFile&& other) noexcept
    : path_(std::move(other.path_)), added_(std::exchange(other.added_, false)) {}

Win32FontFile& Win32FontFile::operator=(Win32FontFile&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::move(other.path_);
        added_ = std::exchange(other.added_, false);
    }
    return *this;
}

void Win32FontFile::remove() {
    if (added_) RemoveFontResourceA(path_.c_str());
    added_ = false;
}

// ---------------------------------------------------------------- fonts

Win32Font::Win32Font(HFONT font, const TEXTMETRICA& metrics, QXString* faceName, int size, int style,
                     Win32FontFile file)
    : font_(font), metrics_(metrics), faceName_(faceName), size_(size), style_(style), file_(std::move(file)) {
    retain(faceName_);
}

Win32Font::~Win32Font() {
    // The GDI font goes before its file is taken out of the font table.
    DeleteObject(font_);
    release(faceName_);
}

int Win32Font::query(int queryId) {
    if (queryId == kNativeFontQuery) return static_cast<int>(reinterpret_cast<std::uintptr_t>(font_));
    return QXFont::query(queryId);
}

QXTextSize Win32Font::measure(const QXString* text) {
    const char* bytes = text ? text->data : "";
    const int count = text ? text->length : 0;
    SIZE extent{};
    Win32MeasuringContext context;
    if (!context.get()) return {};
    Win32SelectedFont selected(context.get(), font_);
    if (!selected.selected() || !GetTextExtentPoint32A(context.get(), bytes, count, &extent)) return {};
    return {static_cast<int>(extent.cx), static_cast<int>(extent.cy)};
}

QXString* Win32Font::name() {
    retain(faceName_);
    return faceName_;
}
