#include "graphics/QXGraphics.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// ---------------------------------------------------------------- areas

// An area of the store paired with an equal area of a source: another store,
// or a caller buffer of colour values.
struct Area {
    int x, y;
    int sourceX, sourceY;
    int w, h;
};

// A caller buffer has no known size; only its top-left corner bounds it.
constexpr std::int64_t kUnbounded = std::numeric_limits<int>::max();

// Cuts the area to the store (width x height) and to the source (sourceWidth x
// sourceHeight), every cut on one side moving the other along. Callers are
// meant to pass areas inside both already; this keeps a wrong one from
// touching memory outside either. False when nothing is left. Works in 64
// bits so that no combination of inputs overflows.
bool clipArea(Area& area, int width, int height, std::int64_t sourceWidth, std::int64_t sourceHeight) {
    std::int64_t x = area.x, y = area.y, sx = area.sourceX, sy = area.sourceY, w = area.w, h = area.h;
    const std::int64_t cutLeft = std::max<std::int64_t>({0, -x, -sx});
    const std::int64_t cutTop = std::max<std::int64_t>({0, -y, -sy});
    x += cutLeft, sx += cutLeft, w -= cutLeft;
    y += cutTop, sy += cutTop, h -= cutTop;
    w = std::min({w, width - x, sourceWidth - sx});
    h = std::min({h, height - y, sourceHeight - sy});
    if (w <= 0 || h <= 0) return false;
    area = {static_cast<int>(x), static_cast<int>(y), static_cast<int>(sx), static_cast<int>(sy),
            static_cast<int>(w), static_cast<int>(h)};
    return true;
}

std::uint8_t* pixelAt(const QXPixelLock& lock, int x, int y) {
    return lock.pixels + std::ptrdiff_t(y) * lock.pitch + std::ptrdiff_t(x) * bytesPerPixel(lock.format);
}

template <class Byte> Byte* colourAt(Byte* buffer, int pitch, int x, int y) {
    return buffer + std::ptrdiff_t(y) * pitch + std::ptrdiff_t(x) * 4;
}

// ---------------------------------------------------------------- row kernels
// One instance per format (and format pair), chosen once per operation, so the
// inner loops carry no switch. Slot 0 stands for every format without
// conversions: its pixels read as QXUnconvertedColour and are never written.

constexpr int kFormatOfSlot[] = {0, QXFormatRGB565, QXFormatXRGB1555, QXFormatRGB888, QXFormatXRGB8888,
                                 QXFormatARGB8888};
constexpr std::size_t kSlots = std::size(kFormatOfSlot);

constexpr std::size_t slotOf(int format) {
    switch (format) {
    case QXFormatRGB565: return 1;
    case QXFormatXRGB1555: return 2;
    case QXFormatRGB888: return 3;
    case QXFormatXRGB8888: return 4;
    case QXFormatARGB8888: return 5;
    default: return 0;
    }
}

template <int Format> struct ReadRow {
    static void run(std::uint8_t* colours, const std::uint8_t* pixels, int count) {
        constexpr int bytes = bytesPerPixel(Format);
        for (int i = 0; i < count; ++i, pixels += bytes, colours += 4)
            storePixelBytes<4>(colours, toColour(Format, loadPixelBytes<bytes>(pixels)));
    }
};

template <int Format> struct WriteRow {
    static void run(std::uint8_t* pixels, const std::uint8_t* colours, int count) {
        constexpr int bytes = bytesPerPixel(Format);
        if constexpr (isConvertibleFormat(Format)) {
            for (int i = 0; i < count; ++i, pixels += bytes, colours += 4)
                storePixelBytes<bytes>(pixels, toPixel(Format, loadPixelBytes<4>(colours)));
        }
    }
};

// Whether a pixel survives the trip to a colour and back unchanged, so that
// a plain copy between two stores of the format may move whole rows.
constexpr bool roundTripsExactly(int format) {
    return format == QXFormatRGB565 || format == QXFormatRGB888 || format == QXFormatARGB8888;
}

template <int Source, int Destination, bool Masked> struct CopyRow {
    static void run(std::uint8_t* to, const std::uint8_t* from, int count, QXColour key) {
        constexpr int inBytes = bytesPerPixel(Source);
        constexpr int outBytes = bytesPerPixel(Destination);
        if constexpr (Source == Destination && !Masked && roundTripsExactly(Source)) {
            // memmove: within one store a row may overlap itself.
            std::memmove(to, from, std::size_t(count) * inBytes);
        } else if constexpr (Source == QXFormatXRGB8888 && Destination == QXFormatXRGB8888) {
            // The trip through a colour sets the unused top byte.
            for (int i = 0; i < count; ++i, from += 4, to += 4) {
                const std::uint32_t colour = loadPixelBytes<4>(from) | 0xFF000000u;
                if constexpr (Masked) {
                    if ((colour & 0xFFFFFF) == key) continue;
                }
                storePixelBytes<4>(to, colour);
            }
        } else if constexpr (isConvertibleFormat(Destination)) {
            for (int i = 0; i < count; ++i, from += inBytes, to += outBytes) {
                const QXColour colour = toColour(Source, loadPixelBytes<inBytes>(from));
                if constexpr (Masked) {
                    if ((colour & 0xFFFFFF) == key) continue;
                }
                storePixelBytes<outBytes>(to, toPixel(Destination, colour));
            }
        }
    }
};

using ReadRowFn = void (*)(std::uint8_t*, const std::uint8_t*, int);
using WriteRowFn = void (*)(std::uint8_t*, const std::uint8_t*, int);
using CopyRowFn = void (*)(std::uint8_t*, const std::uint8_t*, int, QXColour);

template <std::size_t... Slot> constexpr auto makeReadTable(std::index_sequence<Slot...>) {
    return std::array<ReadRowFn, kSlots>{&ReadRow<kFormatOfSlot[Slot]>::run...};
}
template <std::size_t... Slot> constexpr auto makeWriteTable(std::index_sequence<Slot...>) {
    return std::array<WriteRowFn, kSlots>{&WriteRow<kFormatOfSlot[Slot]>::run...};
}
// Entry (source slot × kSlots + destination slot) × 2 + masked.
template <std::size_t... Entry> constexpr auto makeCopyTable(std::index_sequence<Entry...>) {
    return std::array<CopyRowFn, kSlots * kSlots * 2>{
        &CopyRow<kFormatOfSlot[Entry / 2 / kSlots], kFormatOfSlot[Entry / 2 % kSlots], Entry % 2 == 1>::run...};
}

constexpr auto kReadRows = makeReadTable(std::make_index_sequence<kSlots>());
constexpr auto kWriteRows = makeWriteTable(std::make_index_sequence<kSlots>());
constexpr auto kCopyRows = makeCopyTable(std::make_index_sequence<kSlots * kSlots * 2>());

CopyRowFn copyRowFor(int sourceFormat, int destinationFormat, bool masked) {
    return kCopyRows[(slotOf(sourceFormat) * kSlots + slotOf(destinationFormat)) * 2 + (masked ? 1 : 0)];
}

// The first row pixel by pixel, every other row a copy of it.
template <int Bytes> void fillRows(std::uint8_t* row, int pitch, int w, int h, std::uint32_t pixel) {
    if (h <= 0 || w <= 0) return;
    std::uint8_t* at = row;
    for (int i = 0; i < w; ++i, at += Bytes) storePixelBytes<Bytes>(at, pixel);
    const std::size_t rowBytes = std::size_t(w) * Bytes;
    for (std::uint8_t* next = row + pitch; --h > 0; next += pitch) std::memcpy(next, row, rowBytes);
}

// For a copy within one row of one store, destination right of the source:
// walks the row backwards so that no source pixel is overwritten before it is read.
void copyRowBackward(int format, std::uint8_t* to, const std::uint8_t* from, int count, bool masked, QXColour key) {
    const int bytes = bytesPerPixel(format);
    for (int i = count - 1; i >= 0; --i) {
        const QXColour colour = readColour(format, from + std::ptrdiff_t(i) * bytes);
        if (masked && (colour & 0xFFFFFF) == key) continue;
        writeColour(format, to + std::ptrdiff_t(i) * bytes, colour);
    }
}

}  // namespace

QXGraphics::QXGraphics(int graphicsWidth, int graphicsHeight) : width(graphicsWidth), height(graphicsHeight) {}

void QXGraphics::setMask(QXColour colour) { maskColour = colour; }

void QXGraphics::fill(int x, int y, int w, int h, QXColour colour) {
    Area area{x, y, 0, 0, w, h};
    if (!clipArea(area, width, height, kUnbounded, kUnbounded)) return;
    QXGraphicsLock lock(*this);
    if (!lock->pixels) return;
    const std::uint32_t pixel = toPixel(lock->format, colour);
    std::uint8_t* row = pixelAt(*lock, area.x, area.y);
    switch (bytesPerPixel(lock->format)) {
    case 2: fillRows<2>(row, lock->pitch, area.w, area.h, pixel); break;
    case 3: fillRows<3>(row, lock->pitch, area.w, area.h, pixel); break;
    case 4: fillRows<4>(row, lock->pitch, area.w, area.h, pixel); break;
    default: break;
    }
}

void QXGraphics::read(int x, int y, int w, int h, void* destination, int destinationPitch) {
    Area area{x, y, 0, 0, w, h};
    if (!destination || !clipArea(area, width, height, kUnbounded, kUnbounded)) return;
    QXGraphicsLock lock(*this);
    if (!lock->pixels) return;
    const ReadRowFn readRow = kReadRows[slotOf(lock->format)];
    const std::uint8_t* from = pixelAt(*lock, area.x, area.y);
    std::uint8_t* to = colourAt(static_cast<std::uint8_t*>(destination), destinationPitch, area.sourceX, area.sourceY);
    for (int row = 0; row < area.h; ++row, from += lock->pitch, to += destinationPitch) readRow(to, from, area.w);
}

void QXGraphics::write(int x, int y, int w, int h, const void* source, int sourcePitch) {
    Area area{x, y, 0, 0, w, h};
    if (!source || !clipArea(area, width, height, kUnbounded, kUnbounded)) return;
    QXGraphicsLock lock(*this);
    if (!lock->pixels || !isConvertibleFormat(lock->format)) return;
    const WriteRowFn writeRow = kWriteRows[slotOf(lock->format)];
    std::uint8_t* to = pixelAt(*lock, area.x, area.y);
    const std::uint8_t* from =
        colourAt(static_cast<const std::uint8_t*>(source), sourcePitch, area.sourceX, area.sourceY);
    for (int row = 0; row < area.h; ++row, to += lock->pitch, from += sourcePitch) writeRow(to, from, area.w);
}

void QXGraphics::copy(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) {
    Area area{x, y, sourceX, sourceY, w, h};
    if (!source || !clipArea(area, width, height, source->width, source->height)) return;
    QXGraphicsLock from(*source);
    QXGraphicsLock to(*this);
    if (!from->pixels || !to->pixels || !isConvertibleFormat(to->format)) return;

    const bool masked = (flags & QXCopyMasked) != 0;
    const QXColour key = masked ? maskKey(from->format, source->maskColour) : 0;
    const std::uint8_t* fromRow = pixelAt(*from, area.sourceX, area.sourceY);
    std::uint8_t* toRow = pixelAt(*to, area.x, area.y);
    std::ptrdiff_t fromStep = from->pitch, toStep = to->pitch;

    // Within one store the areas may overlap: go the way that reads every
    // source pixel before it is overwritten.
    const bool sameStore = source == this;
    if (sameStore && area.y > area.sourceY) {
        fromRow += fromStep * (area.h - 1), toRow += toStep * (area.h - 1);
        fromStep = -fromStep, toStep = -toStep;
    }
    if (sameStore && area.y == area.sourceY && area.x > area.sourceX) {
        for (int row = 0; row < area.h; ++row, fromRow += fromStep, toRow += toStep)
            copyRowBackward(to->format, toRow, fromRow, area.w, masked, key);
        return;
    }
    const CopyRowFn copyRow = copyRowFor(from->format, to->format, masked);
    for (int row = 0; row < area.h; ++row, fromRow += fromStep, toRow += toStep) copyRow(toRow, fromRow, area.w, key);
}
