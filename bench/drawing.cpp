// Drawing through the command entries on each 2D driver, against plain
// memory loops measured in the same process: Plot into a 640 x 480 buffer
// against a raw store loop over the same points, and a 32 x 32 solid Rect
// against memset of the same rows.

#include <windows.h>
#include <GL/gl.h>

#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <vector>

#include "graphics/Q2DBuffer.h"
#include "graphics/gl/Win32GL.h"
#include "runtime/QXModule.h"
#include "runtime/QXRegistry.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPoints = 200000;
constexpr int kRects = 20000;
constexpr int kRepeats = 3;

struct Point {
    int x, y;
};

}  // namespace

int main() {
    // As a program starts: every driver subsystem has its default configuration.
    moduleList().selectDefaultConfigs();
    auto setGfxDriver = commandAt<void(QXCALL*)(int)>("SetGfxDriver%driver");
    auto plot = commandAt<void(QXCALL*)(int, int)>("Plot%x%y");
    auto rect = commandAt<void(QXCALL*)(int, int, int, int, int)>("Rect%x%y%width%height%solid=1");
    auto color = commandAt<void(QXCALL*)(int, int, int)>("Color%red%green%blue");

    std::vector<Point> points(kPoints);
    std::uint32_t seed = 12345;
    for (Point& p : points) {
        seed = seed * 1103515245u + 12345u;
        p.x = int((seed >> 8) % kWidth);
        seed = seed * 1103515245u + 12345u;
        p.y = int((seed >> 8) % kHeight);
    }
    std::vector<std::uint32_t> raw(std::size_t(kWidth) * kHeight);
    const double rawPlots = bestRate(kPoints, kRepeats, [&] {
        for (const Point& p : points) raw[std::size_t(p.y) * kWidth + p.x] = 0xFF102030u;
    });
    const double rawRects = bestRate(kRects, kRepeats, [&] {
        for (int i = 0; i < kRects; ++i) {
            const Point& p = points[i];
            const int x = std::min(p.x, kWidth - 32), y = std::min(p.y, kHeight - 32);
            for (int row = 0; row < 32; ++row) std::memset(&raw[std::size_t(y + row) * kWidth + x], 0x5A, 32 * 4);
        }
    });
    std::printf("drawing: %d plots, %d rects of 32 x 32 into %d x %d, best of %d\n", kPoints, kRects, kWidth, kHeight,
                kRepeats);
    std::printf("  %-34s %12.0f /s  (baseline)\n", "raw store loop, plots", rawPlots);
    std::printf("  %-34s %12.0f /s  (baseline)\n", "memset rows, 32 x 32 rects", rawRects);

    const struct {
        int family;
        const char* name;
    } drivers[] = {{3, "DirectDraw"}, {1, "Native"}, {2, "OpenGL"}};
    for (const auto& driver : drivers) {
        setGfxDriver(driver.family);
        QXGrDriver2D* active = grDriver2D();
        if (!active) continue;
        QXGraphics* store = driver.family == 2 ? createHiddenGLGraphics(kWidth, kHeight)
                                               : active->createGraphics(kWidth, kHeight, kGraphicsDisplayFormat);
        Q2DBuffer* buffer = createBuffer(store);
        setCurrentBuffer(buffer);
        color(16, 32, 48);
        // GL queues its work: a read of one pixel waits for it to be done.
        auto finish = [&] {
            QXColour c;
            buffer->graphics->read(0, 0, 1, 1, &c, 4);
        };
        // Each pass draws in its own colour; the read-back checks the last.
        auto colourAt = [&](int x, int y) {
            QXColour c = 0;
            buffer->graphics->read(x, y, 1, 1, &c, 4);
            return c & 0xFFFFFFu;
        };
        auto plotsOk = [&] {
            for (int i = 0; i < kPoints; i += kPoints / 16)
                if (colourAt(points[i].x, points[i].y) != 0x102030u) return false;
            return true;
        };
        const double plots = bestRate(kPoints, kRepeats, [&] {
            for (const Point& p : points) plot(p.x, p.y);
            finish();
        });
        const bool plotted = plotsOk();
        color(0x5A, 0x5A, 0x5A);
        const double rects = bestRate(kRects, kRepeats, [&] {
            for (int i = 0; i < kRects; ++i) rect(points[i].x, points[i].y, 32, 32, 1);
            finish();
        });
        // The read that ends each pass, alone: under OpenGL it reads the
        // whole buffer back and writes it again.
        const double reads = bestRate(1, kRepeats, finish);
        const Point& last = points[kRects - 1];
        const bool filled = colourAt(last.x, last.y) == 0x5A5A5Au &&
                            colourAt(std::min(last.x + 31, kWidth - 1), std::min(last.y + 31, kHeight - 1)) == 0x5A5A5Au;
        // Under OpenGL, the floor: the same rectangles in one bare glDrawArrays
        // of quads (what the driver's batch comes down to), ended by the same read.
        double bareRects = 0;
        bool bareFilled = true;
        if (driver.family == 2) {
            auto* frame = static_cast<Win32GLGraphics*>(store);
            std::vector<GLint> corners;
            for (int i = 0; i < kRects; ++i) {
                const int x = points[i].x, y = points[i].y;
                const int right = std::min(x + 32, kWidth), bottom = std::min(y + 32, kHeight);
                const GLint quad[] = {x, y, right, y, right, bottom, x, bottom};
                corners.insert(corners.end(), std::begin(quad), std::end(quad));
            }
            color(0x21, 0x43, 0x65);
            finish();
            bareRects = bestRate(kRects, kRepeats, [&] {
                frame->makeCurrent();
                glEnableClientState(GL_VERTEX_ARRAY);
                glVertexPointer(2, GL_INT, 0, corners.data());
                glDrawArrays(GL_QUADS, 0, kRects * 4);
                glDisableClientState(GL_VERTEX_ARRAY);
                finish();
            });
            bareFilled = colourAt(last.x, last.y) == 0x214365u;
        }
        char label[64];
        std::snprintf(label, sizeof label, "%s Plot", driver.name);
        std::printf("  %-34s %12.0f /s  1/%.1f of the raw loop (the pass's closing read alone: %.2f ms)\n", label,
                    plots, rawPlots / plots, 1000.0 / reads);
        std::snprintf(label, sizeof label, "%s Rect 32 x 32", driver.name);
        std::printf("  %-34s %12.0f /s  %5.1f%% of memset\n", label, rects, 100.0 * rects / rawRects);
        std::snprintf(label, sizeof label, "%s Plot", driver.name);
        rateFigure(label, plots, rawPlots, "raw store loop", 1.0 / 20, plotted);
        std::snprintf(label, sizeof label, "%s Rect 32 x 32", driver.name);
        rateFigure(label, rects, rawRects, "memset of the rows", driver.family == 2 ? 0.3 : 0, filled);
        if (driver.family == 2) {
            std::printf("  %-34s %12.0f /s  %5.1f%% of memset\n", "bare glDrawArrays, same rects", bareRects,
                        100.0 * bareRects / rawRects);
            rateFigure("OpenGL bare glDrawArrays of the same rects", bareRects, rawRects, "memset of the rows", 0,
                       bareFilled);
        }
        setCurrentBuffer(nullptr);
        release(buffer);
    }
    moduleList().stopDriverModules();
    return benchStatus();
}
