#include "events/QXFont.h"

#include <cstdint>
#include <cstdlib>

namespace {
QXFontDriver* currentDriver = nullptr;

bool lowByteSet(int flag) { return (flag & 0xFF) != 0; }
}  // namespace

void setFontDriver(QXFontDriver* driver) { currentDriver = driver; }
QXFontDriver* fontDriver() { return currentDriver; }

int fontStyleFromFlags(int bold, int italic, int underline) {
    return (lowByteSet(bold) ? kFontBold : 0) | (lowByteSet(italic) ? kFontItalic : 0) |
           (lowByteSet(underline) ? kFontUnderline : 0);
}

int fontStyleFromMetrics(int weight, bool italic, bool underlined) {
    return (weight >= kBoldWeightFrom ? kFontBold : 0) | (italic ? kFontItalic : 0) |
           (underlined ? kFontUnderline : 0);
}

bool isFontFileName(std::string_view name) { return name.find('.') != std::string_view::npos; }

std::string fontFileFaceName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos) path = path.substr(0, dot);
    return std::string(path);
}

int pointSizeOfPixelHeight(int pixelHeight, int pixelsPerInch) {
    if (pixelsPerInch <= 0) return 0;
    constexpr std::int64_t kPointsPerInch = 72;
    const std::int64_t pixels = std::llabs(static_cast<std::int64_t>(pixelHeight));
    return static_cast<int>((pixels * kPointsPerInch + pixelsPerInch / 2) / pixelsPerInch);
}
