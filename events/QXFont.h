#pragma once
// Fonts shared by 2D text drawing and the GUI. A font is a resource made by
// the process's font driver; its metrics are measured once, when it is made.
// This header also holds the portable rules of font creation: the style bits,
// how a font file name becomes a face name, and the point size of a pixel
// height.

#include <string>
#include <string_view>

#include "runtime/QXModule.h"
#include "runtime/QXObject.h"

class QXString;

// Style bits as FontStyle reports them.
enum QXFontStyle : int {
    kFontBold = 1,
    kFontItalic = 2,
    kFontUnderline = 4,
};

struct QXTextSize {
    int width = 0;
    int height = 0;
};

class QXFont : public QXResource {
public:
    // The query identifier a font answers with its native font handle.
    static constexpr int kNativeFontQuery = 3;

    // The maximum character width.
    virtual int width() = 0;
    // The cell height.
    virtual int height() = 0;
    virtual int ascent() = 0;
    virtual int descent() = 0;
    // The extent of the text's bytes in this font.
    virtual QXTextSize measure(const QXString* text) = 0;
    // The face name the system reports (a new reference).
    virtual QXString* name() = 0;
    // The height asked for when the font was made (or the point size of a
    // font made over an existing system font).
    virtual int size() = 0;
    // QXFontStyle bits.
    virtual int style() = 0;
};

// The module that makes fonts for LoadFont.
class QXFontDriver : public QXModule {
public:
    using QXModule::QXModule;
    // A font of face `name` (or from the font file `name`, see isFontFileName),
    // `height` logical units high, in the QXFontStyle bits `style`; null when
    // the system cannot make one.
    virtual QXFont* createFont(const char* name, int height, int style) = 0;
};

// The driver that started last and has not stopped; null when none runs.
void setFontDriver(QXFontDriver* driver);
QXFontDriver* fontDriver();

// The style LoadFont asks for: only the low byte of each flag counts.
int fontStyleFromFlags(int bold, int italic, int underline);
// The style a measured font has. Fonts are asked for at weight 700 (bold) or
// 400; anything from semi-bold up counts as bold.
int fontStyleFromMetrics(int weight, bool italic, bool underlined);
constexpr int kRegularWeight = 400;
constexpr int kBoldWeight = 700;
constexpr int kBoldWeightFrom = 600;

// A name with a dot names a font file.
bool isFontFileName(std::string_view name);
// The face name a font file provides by convention: its name without the
// directory and without the extension ("c:\fonts\Orbit.ttf" gives "Orbit").
std::string fontFileFaceName(std::string_view path);

// The point size of a font `pixelHeight` pixels high (either sign) on a
// device of `pixelsPerInch`, rounded to the nearest point; 0 when the device
// reports no resolution.
int pointSizeOfPixelHeight(int pixelHeight, int pixelsPerInch);
