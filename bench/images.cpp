// Images through their command entries on each 2D driver, against memcpy of
// the same bytes measured in the same process: 32 x 32 sprites drawn into a
// 640 x 480 buffer (display format; under DirectDraw also 24-bit system
// memory) with DrawBlock and with DrawImage (mask set), against
// copying 32 rows of 128 bytes a sprite; and ImagesCollide on 32 x 32 frames
// that touch, that overlap without a shared solid pixel, and that lie apart.

#include <windows.h>

#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "graphics/Q2DBuffer.h"
#include "graphics/gl/Win32GL.h"
#include "graphics/images/Q2DImage.h"
#include "runtime/QXModule.h"
#include "runtime/QXRegistry.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSprites = 20000;
constexpr int kCollisions = 2000000;
constexpr int kRepeats = 3;

struct Point {
    int x, y;
};

}  // namespace

int main() {
    // As a program starts: every driver subsystem has its default configuration.
    moduleList().selectDefaultConfigs();
    auto setGfxDriver = commandAt<void(QXCALL*)(int)>("SetGfxDriver%driver");
    auto createImage = commandAt<int(QXCALL*)(int, int, int, int)>("%CreateImage%width%height%frames=1%flags=2");
    auto imageBuffer = commandAt<int(QXCALL*)(int, int)>("%ImageBuffer%image%frame=0");
    auto setBuffer = commandAt<int(QXCALL*)(int)>("%SetBuffer%buffer");
    auto color = commandAt<void(QXCALL*)(int, int, int)>("Color%red%green%blue");
    auto oval = commandAt<void(QXCALL*)(int, int, int, int, int)>("Oval%x%y%width%height%solid=1");
    auto maskImage = commandAt<void(QXCALL*)(int, int, int, int)>("MaskImage%image%red%green%blue");
    auto drawBlock = commandAt<void(QXCALL*)(int, int, int, int)>("DrawBlock%image%x%y%frame=0");
    auto drawImage = commandAt<void(QXCALL*)(int, int, int, int)>("DrawImage%image%x%y%frame=0");
    auto imagesCollide =
        commandAt<int(QXCALL*)(int, int, int, int, int, int, int, int)>("%ImagesCollide%image1%x1%y1%frame1%image2%x2%y2%frame2");

    std::vector<Point> points(kSprites);
    std::uint32_t seed = 12345;
    for (Point& p : points) {
        seed = seed * 1103515245u + 12345u;
        p.x = int((seed >> 8) % (kWidth - 32));
        seed = seed * 1103515245u + 12345u;
        p.y = int((seed >> 8) % (kHeight - 32));
    }
    std::vector<std::uint8_t> screen(std::size_t(kWidth) * kHeight * 4), sprite(32 * 128, 0x5A);
    const double copies = bestRate(kSprites, kRepeats, [&] {
        for (const Point& p : points)
            for (int row = 0; row < 32; ++row)
                std::memcpy(&screen[(std::size_t(p.y + row) * kWidth + p.x) * 4], &sprite[std::size_t(row) * 128], 128);
    });
    std::printf("images: %d sprites of 32 x 32 into %d x %d, %d collision tests, best of %d\n", kSprites, kWidth,
                kHeight, kCollisions, kRepeats);
    std::printf("  %-56s %12.0f /s  (baseline)\n", "memcpy, 32 rows of 128 bytes", copies);

    // The target's creation flags matter on DirectDraw only: display format
    // (video memory), or 24-bit system memory.
    const struct {
        int family;
        const char* name;
        int targetFlags;
    } drivers[] = {{3, "DirectDraw", kGraphicsDisplayFormat},
                   {3, "DirectDraw to system memory", 0},
                   {1, "Native", kGraphicsDisplayFormat},
                   {2, "OpenGL", kGraphicsDisplayFormat}};
    for (const auto& driver : drivers) {
        setGfxDriver(driver.family);
        QXGrDriver2D* active = grDriver2D();
        if (!active) continue;
        QXGraphics* store = driver.family == 2 ? createHiddenGLGraphics(kWidth, kHeight)
                                               : active->createGraphics(kWidth, kHeight, driver.targetFlags);
        Q2DBuffer* target = createBuffer(store);

        // A 32 x 32 ball on black, the mask colour, in images of each creation
        // flag (they differ on DirectDraw only: display format, 24-bit with a
        // display-format twin, 24-bit system memory).
        int ball = 0;
        for (int flags : {2, 1, 0}) {
            ball = createImage(32, 32, 1, flags);
            setBuffer(imageBuffer(ball, 0));
            color(200, 100, 50);
            oval(0, 0, 32, 32, 1);
            maskImage(ball, 0, 0, 0);
            setCurrentBuffer(target);
            auto finish = [&] {
                QXColour c;
                target->graphics->read(0, 0, 1, 1, &c, 4);
            };
            const double blocks = bestRate(kSprites, kRepeats, [&] {
                for (const Point& p : points) drawBlock(ball, p.x, p.y, 0);
                finish();
            });
            // The ball's middle where the last sprite went.
            auto lastDrawn = [&] {
                QXColour c = 0;
                target->graphics->read(points.back().x + 16, points.back().y + 16, 1, 1, &c, 4);
                return (c & 0xFFFFFFu) == 0xC86432u;
            };
            const bool blocked = lastDrawn();
            const double masked = bestRate(kSprites, kRepeats, [&] {
                for (const Point& p : points) drawImage(ball, p.x, p.y, 0);
                finish();
            });
            const bool drawn = lastDrawn();
            char label[80];
            std::snprintf(label, sizeof label, "%s DrawBlock, flags %d", driver.name, flags);
            std::printf("  %-56s %12.0f /s  %5.1f%% of memcpy\n", label, blocks, 100.0 * blocks / copies);
            std::snprintf(label, sizeof label, "%s DrawImage (masked), flags %d", driver.name, flags);
            std::printf("  %-56s %12.0f /s  %5.1f%% of memcpy\n", label, masked, 100.0 * masked / copies);
            std::snprintf(label, sizeof label, "%s DrawBlock, flags %d", driver.name, flags);
            rateFigure(label, blocks, copies, "memcpy of the rows", 0, blocked);
            std::snprintf(label, sizeof label, "%s DrawImage (masked), flags %d", driver.name, flags);
            rateFigure(label, masked, copies, "memcpy of the rows", 0, drawn);
            if (driver.family != 3) break;
        }

        if (driver.family == 3 && driver.targetFlags == kGraphicsDisplayFormat) {
            // Collision does not depend on the driver once the masks exist.
            int hits = 0, directHits = 0;
            const struct {
                const char* name;
                int dx, dy;
            } cases[] = {{"ImagesCollide touching", 20, 5}, {"ImagesCollide corners, no pixel", 27, 27},
                         {"ImagesCollide apart", 100, 0}};
            // The word-parallel mask test alone on the same masks, for scale.
            const QXCollisionMask& mask = imageOf(ball).collisionMask(0);
            for (const auto& c : cases) {
                const double direct = bestRate(kCollisions, kRepeats, [&] {
                    int sum = 0;
                    for (int i = 0; i < kCollisions; ++i) sum += masksCollide(mask, i & 7, 0, mask, (i & 7) + c.dx, c.dy);
                    directHits = sum;
                });
                const double tests = bestRate(kCollisions, kRepeats, [&] {
                    int sum = 0;
                    for (int i = 0; i < kCollisions; ++i) sum += imagesCollide(ball, i & 7, 0, 0, ball, (i & 7) + c.dx, c.dy, 0);
                    hits = sum;
                });
                std::printf("  %-56s %12.0f /s  (%s) %5.1f%% of the mask test alone (%.0f /s)\n", c.name, tests,
                            hits ? "hit" : "miss", 100.0 * tests / direct, direct);
                rateFigure(c.name, tests, direct, "the mask test alone", 0, hits == directHits);
            }
        }
        setCurrentBuffer(nullptr);
        release(target);
    }
    moduleList().stopDriverModules();
    return benchStatus();
}
