// Screens through their command entries on each driver family, against plain
// memory loops measured in the same process: WritePixelFast and ReadPixelFast
// on a locked 640 x 480 back buffer against a raw store and load loop over the
// same points, and frames per second of a windowed Flip of 640 x 480.

#include <windows.h>

#include "bench/BenchSupport.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "runtime/QXModule.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPoints = 200000;
constexpr int kFrames = 200;
constexpr int kRepeats = 3;

struct Point {
    int x, y;
};

std::vector<Point> randomPoints() {
    std::vector<Point> points(kPoints);
    std::uint32_t seed = 12345;
    for (Point& p : points) {
        seed = seed * 1103515245u + 12345u;
        p.x = int((seed >> 8) % kWidth);
        seed = seed * 1103515245u + 12345u;
        p.y = int((seed >> 8) % kHeight);
    }
    return points;
}

}  // namespace

int main() {
    // As a program starts: every driver subsystem has its default configuration.
    moduleList().selectDefaultConfigs();
    auto setGfxDriver = commandAt<void(QXCALL*)(int)>("SetGfxDriver%driver");
    auto graphics = commandAt<void(QXCALL*)(int, int, int, int)>("Graphics%width%height%depth=0%flags=0");
    auto endGraphics = commandAt<void(QXCALL*)()>("EndGraphics");
    auto backBuffer = commandAt<int(QXCALL*)()>("%BackBuffer");
    auto setBuffer = commandAt<int(QXCALL*)(int)>("%SetBuffer%buffer");
    auto lockBuffer = commandAt<void(QXCALL*)(int)>("LockBuffer%buffer=0");
    auto unlockBuffer = commandAt<void(QXCALL*)(int)>("UnlockBuffer%buffer=0");
    auto writePixelFast = commandAt<void(QXCALL*)(int, int, int, int)>("WritePixelFast%x%y%color%buffer=0");
    auto readPixelFast = commandAt<int(QXCALL*)(int, int, int)>("%ReadPixelFast%x%y%buffer=0");
    auto flip = commandAt<void(QXCALL*)(int)>("Flip%vwait=1");

    const std::vector<Point> points = randomPoints();
    std::vector<std::uint32_t> raw(std::size_t(kWidth) * kHeight);
    volatile std::uint32_t sink = 0;
    const double rawWrites = bestRate(kPoints, kRepeats, [&] {
        for (const Point& p : points) raw[std::size_t(p.y) * kWidth + p.x] = 0xFF102030u;
    });
    const double rawReads = bestRate(kPoints, kRepeats, [&] {
        std::uint32_t sum = 0;
        for (const Point& p : points) sum += raw[std::size_t(p.y) * kWidth + p.x];
        sink = sum;
    });
    std::printf("screens: %d pixels on a locked %d x %d back buffer, %d windowed flips, best of %d\n", kPoints,
                kWidth, kHeight, kFrames, kRepeats);
    std::printf("  %-34s %12.0f /s  (baseline)\n", "raw store loop", rawWrites);
    std::printf("  %-34s %12.0f /s  (baseline)\n", "raw load loop", rawReads);

    const struct {
        int family;
        const char* name;
    } drivers[] = {{3, "DirectDraw"}, {1, "Native"}, {2, "OpenGL"}};
    for (const auto& driver : drivers) {
        setGfxDriver(driver.family);
        graphics(kWidth, kHeight, 32, 2);
        setBuffer(backBuffer());
        lockBuffer(0);
        const double writes = bestRate(kPoints, kRepeats, [&] {
            for (const Point& p : points) writePixelFast(p.x, p.y, 0xFF102030, 0);
        });
        // Every point was written with the same colour: each read gives it back.
        std::uint32_t readSum = 0;
        const double reads = bestRate(kPoints, kRepeats, [&] {
            int sum = 0;
            for (const Point& p : points) sum += readPixelFast(p.x, p.y, 0) & 0xFFFFFF;
            readSum = std::uint32_t(sum);
        });
        const bool readBack = readSum == std::uint32_t(kPoints) * 0x102030u;
        unlockBuffer(0);
        const double frames = bestRate(kFrames, kRepeats, [&] {
            for (int frame = 0; frame < kFrames; ++frame) flip(0);
        });
        endGraphics();
        char label[64];
        std::snprintf(label, sizeof label, "%s WritePixelFast", driver.name);
        std::printf("  %-34s %12.0f /s  1/%.1f of the raw loop\n", label, writes, rawWrites / writes);
        std::snprintf(label, sizeof label, "%s ReadPixelFast", driver.name);
        std::printf("  %-34s %12.0f /s  1/%.1f of the raw loop\n", label, reads, rawReads / reads);
        std::snprintf(label, sizeof label, "%s windowed Flip", driver.name);
        std::printf("  %-34s %12.0f frames/s\n", label, frames);
        std::snprintf(label, sizeof label, "%s WritePixelFast", driver.name);
        rateFigure(label, writes, rawWrites, "raw store loop", 0, readBack);
        std::snprintf(label, sizeof label, "%s ReadPixelFast", driver.name);
        rateFigure(label, reads, rawReads, "raw load loop", 0, readBack);
        std::snprintf(label, sizeof label, "%s windowed Flip, 640 x 480", driver.name);
        plainFigure(label, true, "%.0f frames/s", frames);
    }
    (void)sink;
    moduleList().stopDriverModules();
    return benchStatus();
}
