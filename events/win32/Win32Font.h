#pragma once
// A font over a Windows GDI font. The GDI font, and the font file it was
// loaded from (if any), belong to the font and go with it.

#include <windows.h>

#include <string>

#include "events/QXFont.h"

// A font file added to the system's font table, taken out again when the
// holder goes: fonts added this way would otherwise stay installed for the
// whole session after the program ends.
class Win32FontFile {
public:
    Win32FontFile() = default;
    // Adds `path`; added() tells whether the system took it.
    explicit Win32FontFile(std::string path);
    ~Win32FontFile();
    Win32FontFile(Win32FontFile&& other) noexcept;
    Win32FontFile& operator=(Win32FontFile&& other) noexcept;
    Win32FontFile(const Win32FontFile&) = delete;
    Win32FontFile& operator=(const Win32FontFile&) = delete;

    bool added() const { return added_; }

private:
    void remove();

    std::string path_;
    bool added_ = false;
};

class Win32Font : public QXFont {
public:
    // Takes over `font`, already measured into `metrics`; keeps a reference
    // to `faceName` of its own.
    Win32Font(HFONT font, const TEXTMETRICA& metrics, QXString* faceName, int size, int style,
              Win32FontFile file = {});
    ~Win32Font() override;

    int query(int queryId) override;

    int width() override { return metrics_.tmMaxCharWidth; }
    int height() override { return metrics_.tmHeight; }
    int ascent() override { return metrics_.tmAscent; }
    int descent() override { return metrics_.tmDescent; }
    QXTextSize measure(const QXString* text) override;
    QXString* name() override;
    int size() override { return size_; }
    int style() override { return style_; }

    HFONT handle() const { return font_; }
    const TEXTMETRICA& metrics() const { return metrics_; }

private:
    HFONT font_;
    TEXTMETRICA metrics_;
    QXString* faceName_;
    int size_;
    int style_;
    Win32FontFile file_;
};
