#pragma once
// Fonts on Linux: TrueType files drawn by FreeType, sized and measured as
// Windows does it (a positive height is the cell, winAscent plus winDescent).
// As Wine's GDI draws them, a face's own bitmaps serve the sizes it has them
// for, unsmoothed; other sizes are smoothed outlines. A face name is looked up
// as a file of that name in the font folders (Wine's, which has Tahoma and
// Courier, then the system's TrueType folders); a bold face prefers the
// face's own bold file ("tahomabd.ttf") and is emboldened otherwise (italic is
// slanted). A name
// with a dot names the font file itself (a program path). Faces that are not
// found fall back to DejaVu Sans, so text always shows.

#include <cstdint>
#include <string>
#include <vector>

#include "events/QXFont.h"

typedef struct FT_FaceRec_* FT_Face;

// The coverage of a text's pixels, 0 (none) to 255 (full), row by row.
struct LinuxTextMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
};

class LinuxFont : public QXFont {
public:
    // Takes over `face`, sized already; `embolden` when the face is not bold
    // itself but the font must be.
    LinuxFont(FT_Face face, QXString* name, int size, int style, bool embolden);
    ~LinuxFont() override;

    int width() override;
    int height() override { return height_; }
    int ascent() override { return ascent_; }
    int descent() override { return descent_; }
    QXTextSize measure(const QXString* text) override;
    QXString* name() override;
    int size() override { return size_; }
    int style() override { return style_; }

    // The text's bytes (Windows-1252 as Latin-1) drawn with the font, its
    // cell's top-left at (0, 0); empty for empty text.
    LinuxTextMask render(const QXString* text);

private:
    // Loads and renders the glyph of the character into the face's slot.
    bool loadGlyph(unsigned character);
    // The advance of the character in whole pixels; 0 when it has no glyph.
    int advanceOf(unsigned character);

    FT_Face face_;
    QXString* name_;
    bool embolden_;
    long emboldenStrength_ = 0;  // 26.6
    int advances_[256];          // -1 until measured
    int size_;
    int style_;
    int maxWidth_ = -1;  // until width() first measures it
    int height_ = 0;
    int ascent_ = 0;
    int descent_ = 0;
};

class LinuxFontDriver : public QXFontDriver {
public:
    LinuxFontDriver();
    bool startup() override;
    void shutdown() override;
    // `height` > 0: the cell height in pixels; < 0: the character height.
    QXFont* createFont(const char* name, int height, int style) override;

private:
    bool freeTypeStarted();
    void* library_ = nullptr;  // FT_Library
    bool freeTypeMissing_ = false;
};

extern LinuxFontDriver theLinuxFontDriver;

// The file a face name is read from: the first of the candidates that exists
// (see above); empty when none does. `bold` prefers the bold file, and
// `boldFile` tells whether it was one.
std::string linuxFontFile(const std::string& face, bool bold, bool& boldFile);
