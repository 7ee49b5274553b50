// DirectDraw surfaces as Wine provides them: the formats of the three
// off-screen kinds, nested locks, the twin of kind 2, colour keys in the
// surfaces' own blits, and fill and copy results equal to the portable rules.

#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "graphics/QXPixmap.h"
#include "graphics/ddraw/Win32DD.h"
#include "graphics/ddraw/Win32DDGraphics.h"

namespace {
class DirectDrawRunning : public testing::Test {
protected:
    void SetUp() override {
        auto error = runtimeErrorOf([] { startModuleNamed("Win32DD"); });
        ASSERT_FALSE(error) << *error;
    }
    void TearDown() override {
        runtimeErrorOf([] { stopModule(&theWin32DD); });
    }
};

Win32DDGraphics* surfaceOf(int kind, int w, int h) {
    Win32DDGraphics* surface = nullptr;
    auto error = runtimeErrorOf([&] { surface = createDDGraphics(kind, w, h); });
    EXPECT_FALSE(error) << *error;
    return surface;
}

std::vector<QXColour> colours(QXGraphics& g) {
    std::vector<QXColour> out(std::size_t(g.width) * g.height);
    g.read(0, 0, g.width, g.height, out.data(), g.width * 4);
    return out;
}

// A key colour over a plain background, written with alpha 0xFF.
void paint(QXGraphics& g) {
    std::vector<QXColour> c(std::size_t(g.width) * g.height);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) c[std::size_t(y) * g.width + x] = (x + y) % 3 ? 0xFF203040 : 0xFF000000;
    g.write(0, 0, g.width, g.height, c.data(), g.width * 4);
}
}  // namespace

TEST_F(DirectDrawRunning, KindsHaveTheirFormatsAndLocksNest) {
    EXPECT_GE(theWin32DD.level(), 7);
    Win32DDGraphics* system = surfaceOf(kDDSystem24, 7, 5);
    Win32DDGraphics* display = surfaceOf(kDDDisplay, 7, 5);
    Win32DDGraphics* twinned = surfaceOf(kDDSystem24WithTwin, 7, 5);
    ASSERT_TRUE(system && display && twinned);
    EXPECT_EQ(system->format, QXFormatRGB888);
    EXPECT_EQ(twinned->format, QXFormatRGB888);
    EXPECT_NE(display->format, 0);
    ASSERT_NE(twinned->twin, nullptr);
    EXPECT_EQ(twinned->twin->format, display->format);

    QXPixelLock outer = system->lock();
    QXPixelLock inner = system->lock();
    EXPECT_EQ(outer.pixels, inner.pixels);
    EXPECT_GE(outer.pitch, 7 * 3);
    EXPECT_EQ(system->fallback, nullptr) << "the surface itself was locked";
    system->unlock();
    EXPECT_EQ(system->lockCount, 1);
    system->unlock();
    EXPECT_EQ(system->lockCount, 0);
    release(system), release(display), release(twinned);
}

TEST_F(DirectDrawRunning, ColourKeyedBlitsMatchTheMaskedCopyRule) {
    // Between surfaces of one format (the blitter) and from a memory pixmap
    // (the portable copy), masked by black with and without alpha.
    for (int kind : {kDDSystem24, kDDDisplay}) {
        for (QXColour mask : {0xFF000000u, 0x00000000u}) {
            Win32DDGraphics* source = surfaceOf(kind, 9, 6);
            Win32DDGraphics* target = surfaceOf(kind, 9, 6);
            QXPixmap* reference = createPixmap(9, 6, QXFormatXRGB8888, 4);
            QXPixmap* memory = createPixmap(9, 6, QXFormatXRGB8888, 4);
            ASSERT_TRUE(source && target);
            paint(*source);
            paint(*memory);
            source->setMask(mask);
            memory->setMask(mask);
            target->fill(0, 0, 9, 6, 0xFFFFFFFF);
            reference->fill(0, 0, 9, 6, 0xFFFFFFFF);
            target->copy(1, 1, 7, 4, source, 0, 0, QXCopyMasked);
            reference->copy(1, 1, 7, 4, memory, 0, 0, QXCopyMasked);
            EXPECT_EQ(colours(*target), colours(*reference)) << "kind " << kind << " mask " << std::hex << mask;
            release(source), release(target), release(reference), release(memory);
        }
    }
}

TEST_F(DirectDrawRunning, TwinFollowsTheSystemSurfaceAfterChanges) {
    Win32DDGraphics* twinned = surfaceOf(kDDSystem24WithTwin, 6, 4);
    Win32DDGraphics* display = surfaceOf(kDDDisplay, 6, 4);
    ASSERT_TRUE(twinned && display);
    twinned->fill(0, 0, 6, 4, 0xFF112233);
    display->copy(0, 0, 6, 4, twinned, 0, 0, 0);
    EXPECT_EQ(colours(*display)[0] & 0xFFFFFF, 0x112233u);
    EXPECT_FALSE(twinned->modified) << "the twin was refreshed";
    twinned->fill(2, 2, 1, 1, 0xFF445566);
    EXPECT_TRUE(twinned->modified);
    display->copy(0, 0, 6, 4, twinned, 0, 0, 0);
    EXPECT_EQ(colours(*display)[2 * 6 + 2] & 0xFFFFFF, 0x445566u) << "a change reaches the next blit";
    release(twinned), release(display);
}

// The surfaces' own blitter, called directly: Wine takes source colour keys
// and colour fills on 24-bit system-memory and display-format surfaces (so
// the copies above went through it, not the portable fallback).
TEST_F(DirectDrawRunning, WineBlitterTakesColourKeysOnBothKinds) {
    for (int kind : {kDDSystem24, kDDDisplay}) {
        Win32DDGraphics* source = surfaceOf(kind, 4, 1);
        Win32DDGraphics* target = surfaceOf(kind, 4, 1);
        ASSERT_TRUE(source && target);
        const QXColour row[] = {0xFF000000, 0xFF102030, 0xFF000000, 0xFF405060};
        source->write(0, 0, 4, 1, row, 16);
        DDBLTFX fill{};
        fill.dwSize = sizeof fill;
        fill.dwFillColor = toPixel(target->format, 0xFFFFFFFF);
        RECT all{0, 0, 4, 1};
        EXPECT_TRUE(SUCCEEDED(target->surface->Blt(&all, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill)));
        DDBLTFX keyed{};
        keyed.dwSize = sizeof keyed;
        keyed.ddckSrcColorkey.dwColorSpaceLowValue = keyed.ddckSrcColorkey.dwColorSpaceHighValue =
            toPixel(source->format, 0xFF000000);
        EXPECT_TRUE(SUCCEEDED(
            target->surface->Blt(&all, source->surface, &all, DDBLT_WAIT | DDBLT_KEYSRCOVERRIDE, &keyed)));
        QXColour got[4];
        target->read(0, 0, 4, 1, got, 16);
        EXPECT_EQ(got[0] & 0xFFFFFF, 0xFFFFFFu) << "kind " << kind;
        EXPECT_EQ(got[1] & 0xFFFFFF, 0x102030u) << "kind " << kind;
        EXPECT_EQ(got[2] & 0xFFFFFF, 0xFFFFFFu) << "kind " << kind;
        release(source), release(target);
    }
}
