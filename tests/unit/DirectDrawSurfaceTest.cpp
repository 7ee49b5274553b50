// DirectDraw surfaces as Wine provides them: the formats of the three
// off-screen kinds, nested locks, the twin of kind 2, colour keys in the
// surfaces' own blits, fill and copy results equal to the portable rules, and
// lost surfaces (through a double) restored, never under a lock.

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

// ---------------------------------------------------------------- lost surfaces

namespace {
// Wine loses surfaces only around display changes; this double stands in
// front of a real surface and is lost on demand: every drawing call then
// fails with DDERR_SURFACELOST until Restore, which succeeds unless told to
// fail (the runtime must then make the surface anew).
class LosableSurface : public IDirectDrawSurface7 {
public:
    explicit LosableSurface(IDirectDrawSurface7* inner, int* released) : inner_(inner), released_(released) {
        all().push_back(this);
    }
    bool lost = false;
    bool restoreFails = false;
    int restores = 0;

    STDMETHOD_(HRESULT, QueryInterface)(REFIID riid, void** out) override { return inner_->QueryInterface(riid, out); }
    STDMETHOD_(ULONG, AddRef)() override { return ++count_; }
    STDMETHOD_(ULONG, Release)() override {
        if (--count_ > 0) return count_;
        inner_->Release();
        ++*released_;
        delete this;
        return 0;
    }
    STDMETHOD(Blt)(LPRECT to, LPDIRECTDRAWSURFACE7 source, LPRECT from, DWORD flags, LPDDBLTFX fx) override {
        if (lost) return DDERR_SURFACELOST;
        // Wine's own surfaces carry no C++ type information: look the source up.
        if (auto* fake = find(source)) {
            if (fake->lost) return DDERR_SURFACELOST;
            source = fake->inner_;
        }
        return inner_->Blt(to, source, from, flags, fx);
    }
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE7 target, DWORD flags) override {
        return lost ? DDERR_SURFACELOST : inner_->Flip(target, flags);
    }
    STDMETHOD(GetDC)(HDC* dc) override { return lost ? DDERR_SURFACELOST : inner_->GetDC(dc); }
    STDMETHOD(IsLost)() override { return lost ? DDERR_SURFACELOST : DD_OK; }
    STDMETHOD(Lock)(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override {
        return lost ? DDERR_SURFACELOST : inner_->Lock(rect, desc, flags, event);
    }
    STDMETHOD(Restore)() override {
        ++restores;
        if (restoreFails) return DDERR_WRONGMODE;
        lost = false;
        return DD_OK;
    }
#define QX_FORWARD(name, params, args) \
    STDMETHOD(name) params override { return inner_->name args; }
    QX_FORWARD(AddAttachedSurface, (LPDIRECTDRAWSURFACE7 s), (s))
    QX_FORWARD(AddOverlayDirtyRect, (LPRECT r), (r))
    QX_FORWARD(BltBatch, (LPDDBLTBATCH b, DWORD n, DWORD f), (b, n, f))
    QX_FORWARD(BltFast, (DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 s, LPRECT r, DWORD t), (x, y, s, r, t))
    QX_FORWARD(DeleteAttachedSurface, (DWORD f, LPDIRECTDRAWSURFACE7 s), (f, s))
    QX_FORWARD(EnumAttachedSurfaces, (LPVOID c, LPDDENUMSURFACESCALLBACK7 cb), (c, cb))
    QX_FORWARD(EnumOverlayZOrders, (DWORD f, LPVOID c, LPDDENUMSURFACESCALLBACK7 cb), (f, c, cb))
    QX_FORWARD(GetAttachedSurface, (LPDDSCAPS2 c, LPDIRECTDRAWSURFACE7* s), (c, s))
    QX_FORWARD(GetBltStatus, (DWORD f), (f))
    QX_FORWARD(GetCaps, (LPDDSCAPS2 c), (c))
    QX_FORWARD(GetClipper, (LPDIRECTDRAWCLIPPER* c), (c))
    QX_FORWARD(GetColorKey, (DWORD f, LPDDCOLORKEY k), (f, k))
    QX_FORWARD(GetFlipStatus, (DWORD f), (f))
    QX_FORWARD(GetOverlayPosition, (LPLONG x, LPLONG y), (x, y))
    QX_FORWARD(GetPalette, (LPDIRECTDRAWPALETTE* p), (p))
    QX_FORWARD(GetPixelFormat, (LPDDPIXELFORMAT p), (p))
    QX_FORWARD(GetSurfaceDesc, (LPDDSURFACEDESC2 d), (d))
    QX_FORWARD(Initialize, (LPDIRECTDRAW dd, LPDDSURFACEDESC2 d), (dd, d))
    QX_FORWARD(ReleaseDC, (HDC dc), (dc))
    QX_FORWARD(SetClipper, (LPDIRECTDRAWCLIPPER c), (c))
    QX_FORWARD(SetColorKey, (DWORD f, LPDDCOLORKEY k), (f, k))
    QX_FORWARD(SetOverlayPosition, (LONG x, LONG y), (x, y))
    QX_FORWARD(SetPalette, (LPDIRECTDRAWPALETTE p), (p))
    QX_FORWARD(Unlock, (LPRECT r), (r))
    QX_FORWARD(UpdateOverlay, (LPRECT a, LPDIRECTDRAWSURFACE7 s, LPRECT b, DWORD f, LPDDOVERLAYFX fx), (a, s, b, f, fx))
    QX_FORWARD(UpdateOverlayDisplay, (DWORD f), (f))
    QX_FORWARD(UpdateOverlayZOrder, (DWORD f, LPDIRECTDRAWSURFACE7 s), (f, s))
    QX_FORWARD(GetDDInterface, (LPVOID* dd), (dd))
    QX_FORWARD(PageLock, (DWORD f), (f))
    QX_FORWARD(PageUnlock, (DWORD f), (f))
    QX_FORWARD(SetSurfaceDesc, (LPDDSURFACEDESC2 d, DWORD f), (d, f))
    QX_FORWARD(SetPrivateData, (REFGUID t, LPVOID d, DWORD n, DWORD f), (t, d, n, f))
    QX_FORWARD(GetPrivateData, (REFGUID t, LPVOID d, LPDWORD n), (t, d, n))
    QX_FORWARD(FreePrivateData, (REFGUID t), (t))
    QX_FORWARD(GetUniquenessValue, (LPDWORD v), (v))
    QX_FORWARD(ChangeUniquenessValue, (), ())
    QX_FORWARD(SetPriority, (DWORD p), (p))
    QX_FORWARD(GetPriority, (LPDWORD p), (p))
    QX_FORWARD(SetLOD, (DWORD l), (l))
    QX_FORWARD(GetLOD, (LPDWORD l), (l))
#undef QX_FORWARD

private:
    virtual ~LosableSurface() { std::erase(all(), this); }
    static std::vector<LosableSurface*>& all() {
        static std::vector<LosableSurface*> doubles;
        return doubles;
    }
    static LosableSurface* find(IDirectDrawSurface7* surface) {
        for (LosableSurface* fake : all())
            if (static_cast<IDirectDrawSurface7*>(fake) == surface) return fake;
        return nullptr;
    }
    IDirectDrawSurface7* inner_;
    int* released_;
    ULONG count_ = 1;
};

// Puts the double in front of the store's surface (taking its reference).
LosableSurface* makeLosable(Win32DDGraphics& g, int* released) {
    auto* fake = new LosableSurface(g.surface, released);
    g.surface = fake;
    return fake;
}

void expectAll(QXGraphics& g, QXColour colour, const char* step) {
    std::vector<QXColour> seen = colours(g);
    int wrong = 0;
    for (QXColour c : seen) wrong += (c & 0xFFFFFF) != (colour & 0xFFFFFF);
    EXPECT_EQ(wrong, 0) << step;
}
}  // namespace

TEST_F(DirectDrawRunning, LostSurfacesAreRestoredAndNeverUnderALock) {
    int released = 0;
    Win32DDGraphics* display = surfaceOf(kDDDisplay, 8, 6);
    Win32DDGraphics* image = surfaceOf(kDDSystem24WithTwin, 8, 6);
    ASSERT_TRUE(display && image && image->twin);

    // A fill on a lost surface restores it and fills again.
    LosableSurface* fake = makeLosable(*display, &released);
    fake->lost = true;
    display->fill(0, 0, 8, 6, 0xFF102030);
    EXPECT_EQ(fake->restores, 1);
    expectAll(*display, 0xFF102030, "fill after restore");

    // The twin of an image lost (video memory): the blit restores it and
    // fills it again from the image's own pixels, which system memory kept.
    image->fill(0, 0, 8, 6, 0xFF405060);
    display->copy(0, 0, 8, 6, image, 0, 0, 0);  // the twin is now up to date
    LosableSurface* twin = makeLosable(*image->twin, &released);
    twin->lost = true;
    display->fill(0, 0, 8, 6, 0xFF000000);
    display->copy(0, 0, 8, 6, image, 0, 0, 0);
    EXPECT_EQ(twin->restores, 1);
    expectAll(*display, 0xFF405060, "blit from a restored twin");

    // Lost while the program holds it locked, with a restore that fails (the
    // surface must be made anew): nothing is released under the lock, whose
    // address the program may still write through; the outermost unlock
    // makes the new surface.
    QXPixelLock held = display->lock();
    ASSERT_NE(held.pixels, nullptr);
    fake->lost = true;
    fake->restoreFails = true;
    display->restore();  // as the screen driver does on every use of the primary
    display->lock();     // nested
    display->unlock();
    EXPECT_EQ(display->surface, static_cast<IDirectDrawSurface7*>(fake)) << "replaced under the program's lock";
    EXPECT_EQ(released, 0);
    display->unlock();
    EXPECT_EQ(released, 1) << "the lost surface goes at the last unlock";
    EXPECT_NE(display->surface, nullptr);
    EXPECT_NE(display->surface, static_cast<IDirectDrawSurface7*>(fake));
    display->fill(0, 0, 8, 6, 0xFF0000FF);
    expectAll(*display, 0xFF0000FF, "the new surface draws");

    // The same with the device context out: text may still be drawing.
    fake = makeLosable(*display, &released);
    HDC dc = display->getDC();
    ASSERT_NE(dc, nullptr);
    fake->lost = true;
    fake->restoreFails = true;
    display->restore();
    EXPECT_EQ(released, 1) << "replaced while its DC was out";
    display->releaseDC();
    EXPECT_EQ(released, 2);

    release(display);
    release(image);
    EXPECT_EQ(released, 3) << "the twin's double goes with the image";
}
