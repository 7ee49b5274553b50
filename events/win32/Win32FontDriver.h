#pragma once
// The Windows font driver: makes GDI fonts and measures them on a private
// memory device context. Fonts it makes for LoadFont belong to the module, so
// those the program leaves behind are freed when the module stops.

#include <windows.h>

#include "events/QXFont.h"
#include "events/win32/Win32Font.h"

class Win32FontDriver : public QXFontDriver {
public:
    Win32FontDriver();

    // Creates the measuring context and becomes the process's font driver.
    bool startup() override;
    // Deletes the measuring context (the module's fonts are gone by now).
    void shutdown() override;
    QXFont* createFont(const char* name, int height, int style) override;

    // Fonts over GDI fonts made elsewhere (the GUI's default font, the font
    // requester). Their size is the point size of the description's height.
    // The caller owns the result; null when GDI cannot make the font.
    Win32Font* fontFromDescription(const LOGFONTA& description);
    // Takes over `font` (deleted with the result, or at once on failure).
    Win32Font* adoptFont(HFONT font);

    // The measuring context while the module runs, else null.
    HDC measuringContext() const { return context_; }

private:
    HDC context_ = nullptr;
};

extern Win32FontDriver theWin32FontDriver;

// A device context to measure on: the driver's while it runs, else one of
// its own for the lifetime of the object.
class Win32MeasuringContext {
public:
    Win32MeasuringContext();
    ~Win32MeasuringContext();
    Win32MeasuringContext(const Win32MeasuringContext&) = delete;
    Win32MeasuringContext& operator=(const Win32MeasuringContext&) = delete;

    HDC get() const { return context_; }

private:
    HDC context_;
    bool own_;
};

// Selects `font` into `context` for the lifetime of the object.
class Win32SelectedFont {
public:
    Win32SelectedFont(HDC context, HFONT font) : context_(context), previous_(SelectObject(context, font)) {}
    ~Win32SelectedFont() {
        if (selected()) SelectObject(context_, previous_);
    }
    Win32SelectedFont(const Win32SelectedFont&) = delete;
    Win32SelectedFont& operator=(const Win32SelectedFont&) = delete;

    bool selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC context_;
    HGDIOBJ previous_;
};
