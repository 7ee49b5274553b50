// Pixel conversions between 1024 x 768 memory pixmaps: copy between the
// common formats (plain and masked), fill and read, in megapixels per second.
// A plain memcpy of the same rows is printed for scale.

#include <windows.h>

#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "graphics/QXPixmap.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kPasses = 20;   // per timing
constexpr int kRepeats = 3;   // the best of these counts


// Megapixels per second of `pass`, which touches one whole pixmap.
double rate(const std::function<void()>& pass) {
    double best = 1e30;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        const double start = now();
        for (int i = 0; i < kPasses; ++i) pass();
        best = std::min(best, now() - start);
    }
    return double(kWidth) * kHeight * kPasses / best / 1e6;
}

QXPixmap* patterned(int format) {
    QXPixmap* pixmap = createPixmap(kWidth, kHeight, format, 4);
    std::vector<QXColour> row(kWidth);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) row[x] = 0xFF000000u | (x * 0x010203u + y * 0x030201u);
        pixmap->write(0, y, kWidth, 1, row.data(), 0);
    }
    pixmap->setMask(0xFF000000);
    return pixmap;
}

// The baselines every figure is compared with, measured in this process.
double memcpyRate = 0;  // 32-bit rows, Mpixel/s
double memsetRate = 0;

void report(const char* name, double mps, double baseline, const char* baselineName, double target, bool same) {
    std::printf("  %-38s %8.1f Mpixel/s  %5.1f%% of %s\n", name, mps, 100.0 * mps / baseline, baselineName);
    char yardstick[48];
    std::snprintf(yardstick, sizeof yardstick, "%s of 32-bit rows", baselineName);
    rateFigure(name, mps, baseline, yardstick, target, same);
}

std::vector<QXColour> coloursOf(QXPixmap* pixmap) {
    std::vector<QXColour> colours(std::size_t(kWidth) * kHeight);
    pixmap->read(0, 0, kWidth, kHeight, colours.data(), kWidth * 4);
    return colours;
}

// The copy gives what writing the source's colours into the format gives;
// a masked copy leaves the pixels of the mask colour (black) untouched.
bool sameAsWritten(QXPixmap* source, QXPixmap* destination, int toFormat, bool masked) {
    const std::vector<QXColour> from = coloursOf(source);
    QXPixmap* reference = createPixmap(kWidth, kHeight, toFormat, 4);
    reference->write(0, 0, kWidth, kHeight, from.data(), kWidth * 4);
    const std::vector<QXColour> want = coloursOf(reference), got = coloursOf(destination);
    release(reference);
    for (std::size_t i = 0; i < want.size(); ++i)
        if (!(masked && (from[i] & 0xFFFFFFu) == 0) && (want[i] & 0xFFFFFFu) != (got[i] & 0xFFFFFFu)) return false;
    return true;
}

void reportCopy(const char* name, int fromFormat, int toFormat, int flags, double target = 0) {
    QXPixmap* source = patterned(fromFormat);
    QXPixmap* destination = createPixmap(kWidth, kHeight, toFormat, 4);
    const double mps = rate([&] { destination->copy(0, 0, kWidth, kHeight, source, 0, 0, flags); });
    report(name, mps, memcpyRate, "memcpy", target, sameAsWritten(source, destination, toFormat, flags != 0));
    release(destination);
    release(source);
}

}  // namespace

int main() {
    std::printf("pixels: %d x %d, best of %d runs of %d passes\n", kWidth, kHeight, kRepeats, kPasses);
    {
        QXPixmap* from = patterned(4);
        QXPixmap* to = createPixmap(kWidth, kHeight, 4, 4);
        memcpyRate = rate([&] {
            for (int y = 0; y < kHeight; ++y)
                std::memcpy(to->pixels + y * to->pitch, from->pixels + y * from->pitch, kWidth * 4);
        });
        memsetRate = rate([&] {
            for (int y = 0; y < kHeight; ++y) std::memset(to->pixels + y * to->pitch, 0x5A, kWidth * 4);
        });
        std::printf("  %-38s %8.1f Mpixel/s  (baseline)\n", "memcpy of 32-bit rows", memcpyRate);
        std::printf("  %-38s %8.1f Mpixel/s  (baseline)\n", "memset of 32-bit rows", memsetRate);
        release(to);
        release(from);
    }

    reportCopy("copy 32-bit XRGB -> 16-bit 565", 4, 1, 0, 0.3);
    reportCopy("copy 16-bit 565 -> 32-bit XRGB", 1, 4, 0, 0.3);
    reportCopy("copy 32-bit XRGB -> 16-bit 1555", 4, 2, 0, 0.3);
    reportCopy("copy 16-bit 1555 -> 32-bit XRGB", 2, 4, 0, 0.3);
    reportCopy("copy 32-bit ARGB -> 16-bit 565", 7, 1, 0, 0.3);
    reportCopy("copy 32-bit XRGB -> 24-bit", 4, 3, 0);
    reportCopy("copy 24-bit -> 32-bit XRGB", 3, 4, 0);
    reportCopy("copy 32-bit XRGB -> 32-bit XRGB", 4, 4, 0, 0.9);
    reportCopy("masked copy 32-bit ARGB -> 16-bit 565", 7, 1, QXCopyMasked);
    reportCopy("masked copy 16-bit 565 -> 32-bit", 1, 4, QXCopyMasked);

    reportCopy("copy 24-bit -> 24-bit", 3, 3, 0);
    reportCopy("copy 16-bit 565 -> 16-bit 565", 1, 1, 0);
    reportCopy("masked copy 32-bit XRGB -> 32-bit XRGB", 4, 4, QXCopyMasked);

    QXPixmap* wide = patterned(4);
    QXPixmap* narrow = patterned(1);
    // A fill leaves the colour everywhere (0x123456 in 565 reads back as 0x103450).
    auto filledWith = [&](QXPixmap* p, QXColour colour) {
        for (QXColour c : coloursOf(p))
            if ((c & 0xFFFFFFu) != colour) return false;
        return true;
    };
    const double narrowFill = rate([&] { narrow->fill(0, 0, kWidth, kHeight, 0xFF123456); });
    report("fill 16-bit 565", narrowFill, memsetRate, "memset", 0, filledWith(narrow, 0x103450u));
    const double wideFill = rate([&] { wide->fill(0, 0, kWidth, kHeight, 0xFF123456); });
    report("fill 32-bit XRGB", wideFill, memsetRate, "memset", 0, filledWith(wide, 0x123456u));
    std::vector<QXColour> colours(std::size_t(kWidth) * kHeight);
    QXPixmap* patternNarrow = patterned(1);
    const std::vector<QXColour> patternColours = coloursOf(patternNarrow);
    const double reads = rate([&] { patternNarrow->read(0, 0, kWidth, kHeight, colours.data(), kWidth * 4); });
    report("read 16-bit 565 into colours", reads, memcpyRate, "memcpy", 0, colours == patternColours);
    const double writes = rate([&] { narrow->write(0, 0, kWidth, kHeight, colours.data(), kWidth * 4); });
    report("write colours into 16-bit 565", writes, memcpyRate, "memcpy", 0, coloursOf(narrow) == patternColours);
    release(patternNarrow);
    release(narrow);
    release(wide);
    return benchStatus();
}
