#include "events/linux/LinuxFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <new>

#include "core/QXString.h"
#include "runtime/QXHostPath.h"

namespace {

const char* const kFontFolders[] = {"/usr/share/wine/fonts/", "/usr/share/fonts/truetype/msttcorefonts/",
                                    "/usr/share/fonts/truetype/dejavu/", "/usr/share/fonts/truetype/liberation/"};
const char* const kFallbackFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kFallbackBoldFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

bool isFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Windows-1252 bytes as Unicode: Latin-1 with the printable characters of 0x80 to 0x9F.
unsigned unicodeOf(unsigned char byte) {
    static const unsigned short high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0) return high[byte - 0x80];
    return byte;
}

// 26.6 fixed point to whole pixels, rounded.
int pixelsOf(long value) { return static_cast<int>((value + 32) >> 6); }

}  // namespace

std::string linuxFontFile(const std::string& face, bool bold, bool& boldFile) {
    boldFile = false;
    // Face names become file names: no folders may sneak in.
    if (face.empty() || face.find('/') != std::string::npos) return {};
    const std::string base = lowered(face);
    for (const char* folder : kFontFolders) {
        if (bold) {
            for (const char* suffix : {"bd.ttf", "-bold.ttf"}) {
                if (isFile(folder + base + suffix)) {
                    boldFile = true;
                    return folder + base + suffix;
                }
            }
        }
        if (isFile(folder + base + ".ttf")) return folder + base + ".ttf";
    }
    return {};
}

// ---------------------------------------------------------------- fonts

LinuxFont::LinuxFont(FT_Face face, QXString* name, int size, int style, bool embolden)
    : face_(face), name_(name), embolden_(embolden), size_(size), style_(style) {
    if (name_) retain(name_);
    for (int& advance : advances_) advance = -1;
    const FT_Size_Metrics& metrics = face_->size->metrics;
    // Windows' cell: winAscent and winDescent where the face has them.
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent_ = pixelsOf(FT_MulFix(os2->usWinAscent, metrics.y_scale));
        descent_ = pixelsOf(FT_MulFix(os2->usWinDescent, metrics.y_scale));
    } else {
        ascent_ = pixelsOf(metrics.ascender);
        descent_ = pixelsOf(-metrics.descender);
    }
    height_ = ascent_ + descent_;
    // As FreeType's own emboldening of a synthesised bold face.
    if (embolden_) emboldenStrength_ = FT_MulFix(face_->units_per_EM, metrics.y_scale) / 24;
}

// Measured when first asked: it loads every glyph, which a program that
// never asks (and the default font made at every start) should not pay for.
int LinuxFont::width() {
    if (maxWidth_ < 0) {
        maxWidth_ = 0;
        for (unsigned c = 32; c < 256; ++c) maxWidth_ = std::max(maxWidth_, advanceOf(c));
    }
    return maxWidth_;
}

LinuxFont::~LinuxFont() {
    FT_Done_Face(face_);
    release(name_);
}

bool LinuxFont::loadGlyph(unsigned character) {
    const unsigned unicode = unicodeOf(static_cast<unsigned char>(character));
    if (!unicode) return false;
    // The face's own bitmaps where it has them for the size (drawn without
    // smoothing, as Wine's GDI shows them); outlines smoothed otherwise.
    if (FT_Load_Char(face_, unicode, embolden_ ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format == FT_GLYPH_FORMAT_BITMAP) return true;
    if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline_Embolden(&slot->outline, emboldenStrength_);
        slot->advance.x += emboldenStrength_;
    }
    return FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0;
}

int LinuxFont::advanceOf(unsigned character) {
    int& advance = advances_[character & 255];
    if (advance < 0) advance = loadGlyph(character) ? pixelsOf(face_->glyph->advance.x) : 0;
    return advance;
}

QXTextSize LinuxFont::measure(const QXString* text) {
    int width = 0;
    for (int i = 0; text && i < text->length; ++i) width += advanceOf(static_cast<unsigned char>(text->data[i]));
    return {width, height_};
}

QXString* LinuxFont::name() {
    if (name_) retain(name_);
    return name_ ? name_ : newString("");
}

LinuxTextMask LinuxFont::render(const QXString* text) {
    LinuxTextMask mask;
    const QXTextSize size = measure(text);
    if (size.width <= 0 || size.height <= 0) return mask;
    mask.width = size.width;
    mask.height = size.height;
    mask.coverage.assign(std::size_t(mask.width) * std::size_t(mask.height), 0);
    int penX = 0;
    for (int i = 0; i < text->length; ++i) {
        const unsigned character = static_cast<unsigned char>(text->data[i]);
        const int advance = advanceOf(character);
        if (advance == 0 || !loadGlyph(character)) continue;
        const FT_Bitmap& bitmap = face_->glyph->bitmap;
        const int left = penX + face_->glyph->bitmap_left, top = ascent_ - face_->glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = top + static_cast<int>(row);
            if (y < 0 || y >= mask.height) continue;
            const unsigned char* from = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int x = left + static_cast<int>(column);
                if (x < 0 || x >= mask.width) continue;
                std::uint8_t& to = mask.coverage[std::size_t(y) * mask.width + x];
                const std::uint8_t level = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                               ? (((from[column / 8] >> (7 - column % 8)) & 1) ? 255 : 0)
                                               : from[column];
                to = std::max(to, level);
            }
        }
        penX += advance;
    }
    if (style_ & kFontUnderline) {
        const int thickness = std::max(1, pixelsOf(FT_MulFix(face_->underline_thickness, face_->size->metrics.y_scale)));
        const int y = std::min(mask.height - thickness, ascent_ + 1);
        for (int row = std::max(y, 0); row < y + thickness && row < mask.height; ++row)
            std::fill_n(mask.coverage.begin() + std::ptrdiff_t(row) * mask.width, mask.width, std::uint8_t(255));
    }
    return mask;
}

// ---------------------------------------------------------------- driver

LinuxFontDriver::LinuxFontDriver() { registerModule("LinuxFontDriver", nullptr, nullptr); }

QX_MODULE_INSTANCE(LinuxFontDriver, 6);

bool LinuxFontDriver::startup() {
    setFontDriver(this);
    return true;
}

// FreeType starts with the first font, not with the program. Without it
// there are no fonts, yet everything else runs: LoadFont gives 0.
bool LinuxFontDriver::freeTypeStarted() {
    if (!library_ && !freeTypeMissing_) {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) == 0) library_ = library;
        freeTypeMissing_ = !library_;
    }
    return library_ != nullptr;
}

void LinuxFontDriver::shutdown() {
    if (fontDriver() == this) setFontDriver(nullptr);
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
    library_ = nullptr;
    freeTypeMissing_ = false;
}

QXFont* LinuxFontDriver::createFont(const char* name, int height, int style) {
    if (!freeTypeStarted()) return nullptr;
    const std::string requested = name ? name : "";
    std::string file, face = requested;
    bool boldFile = false;
    if (isFontFileName(requested)) {
        file = linuxPathOf(requested);
        face = fontFileFaceName(requested);
    } else {
        file = linuxFontFile(requested, (style & kFontBold) != 0, boldFile);
    }
    if (file.empty() || !isFile(file)) {
        boldFile = (style & kFontBold) && isFile(kFallbackBoldFile);
        file = boldFile ? kFallbackBoldFile : kFallbackFile;
    }
    // Only outlines scale to any height: a face of bitmaps alone (Wine's
    // Courier is one) gives way to the fallback.
    FT_Face ftFace = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(library_), file.c_str(), 0, &ftFace) != 0 || !FT_IS_SCALABLE(ftFace)) {
        if (ftFace) FT_Done_Face(ftFace);
        ftFace = nullptr;
        boldFile = (style & kFontBold) && isFile(kFallbackBoldFile);
        file = boldFile ? kFallbackBoldFile : kFallbackFile;
        if (FT_New_Face(static_cast<FT_Library>(library_), file.c_str(), 0, &ftFace) != 0) return nullptr;
    }
    // A positive height is the cell (winAscent plus winDescent), a negative
    // one the em; 0 asks for Windows' default of about 12 pixels.
    const int pixels = height == 0 ? 12 : height < 0 ? -height : height;
    long em = pixels;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    if (height > 0 && os2 && os2->usWinAscent + os2->usWinDescent > 0)
        em = (long(pixels) * ftFace->units_per_EM + (os2->usWinAscent + os2->usWinDescent) / 2) /
             (os2->usWinAscent + os2->usWinDescent);
    if (FT_Set_Pixel_Sizes(ftFace, 0, static_cast<FT_UInt>(std::clamp(em, 1L, 2048L))) != 0) {
        FT_Done_Face(ftFace);
        return nullptr;
    }
    if ((style & kFontItalic) && !(ftFace->style_flags & FT_STYLE_FLAG_ITALIC)) {
        FT_Matrix slant{0x10000, 0x3800, 0, 0x10000};  // about 12 degrees
        FT_Set_Transform(ftFace, &slant, nullptr);
    }
    const bool embolden = (style & kFontBold) && !boldFile && !(ftFace->style_flags & FT_STYLE_FLAG_BOLD);
    QXString* faceName = newString(face.c_str());
    auto* result = new (std::nothrow) LinuxFont(ftFace, faceName, height, style, embolden);
    release(faceName);
    if (!result) {
        FT_Done_Face(ftFace);
        return nullptr;
    }
    addModuleResource(result);
    return result;
}
