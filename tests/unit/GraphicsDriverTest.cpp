// The 2D drivers drawing through the commands: one scene drawn by the
// DirectDraw driver and by a reference rasteriser and compared pixel for
// pixel (under both the runtime's and a program's x87 mode); the other drivers
// against DirectDraw where their rules are shared; the commands' own rules
// and failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

#include "GraphicsTestSupport.h"
#include "graphics/QXPixmap.h"
#include "graphics/ddraw/Win32DDGraphics.h"
#include "graphics/gl/Win32GL.h"
#include "runtime/QXModule.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// Runs the driver of one family for the lifetime of the object (as
// SetGfxDriver would choose it) and stops every driver module at the end.
class DriverSession {
public:
    explicit DriverSession(int family) {
        // As a program starts: every driver subsystem has its default, then the family is chosen.
        moduleList().selectDefaultConfigs();
        auto error = runtimeErrorOf([&] { DrawCommands().setGfxDriver(family); });
        started = !error;
        if (error) message = *error;
    }
    ~DriverSession() {
        runtimeErrorOf([] { moduleList().stopDriverModules(); });
    }
    bool started = false;
    std::string message;
};

QXString* text(const char* bytes) { return newString(bytes); }

// A source store of `format` filled with a pattern, black pixels on the diagonal.
ReferenceCanvas pattern(int w, int h) {
    ReferenceCanvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            canvas.at(x, y) = (x == y || x + y == 9) ? 0 : ((x * 37 + y * 11) & 0xFF) << 16 | (x * 8) << 8 | (y * 8);
    return canvas;
}

void writeCanvas(QXGraphics& store, const ReferenceCanvas& canvas) {
    std::vector<std::uint32_t> colours(canvas.pixels);
    for (auto& c : colours) c |= 0xFF000000;
    store.write(0, 0, canvas.width, canvas.height, colours.data(), canvas.width * 4);
}

// Parts of the scene; each driver is compared on the parts whose rules it shares.
enum ScenePart : int {
    kLines = 1,
    kOutlines = 2,  // outline rectangles
    kOvals = 4,
    kClipped = 8,  // primitives drawn across the edges of a smaller viewport
    kEverything = 15,
};

// The scene: every primitive, clipped at every edge, through commands on the
// current buffer and through `ref`. `blitSources` are stores of various kinds
// and formats holding `source`.
void drawScene(ReferenceCanvas& ref, const std::vector<QXGraphics*>& blitSources, const ReferenceCanvas& source,
               int parts = kEverything) {
    DrawCommands cmd;
    QXGrDriver2D& driver = activeGrDriver2D();
    ref.reset();
    cmd.clsColor(10, 20, 30), ref.clear = 0x0A141E;
    cmd.cls(), ref.cls();

    // Plots, some outside.
    cmd.color(255, 255, 0), ref.colour = 0xFFFF00;
    for (auto [x, y] : {std::pair{0, 0}, {63, 47}, {-1, 5}, {64, 5}, {5, 48}, {31, 17}}) cmd.plot(x, y), ref.plot(x, y);

    // A viewport so that lines and shapes clip on all four edges.
    if (parts & kClipped) cmd.viewport(4, 3, 50, 40), ref.setViewport(4, 3, 50, 40);
    cmd.color(0, 200, 100), ref.colour = 0x00C864;
    if (parts & kLines) {
    const int cx = 30, cy = 22;
    for (auto [dx, dy] : {std::pair{1, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 1}, {-1, 2}, {-1, 1}, {-2, 1}, {-1, 0},
                          {-2, -1}, {-1, -1}, {-1, -2}, {0, -1}, {1, -2}, {1, -1}, {2, -1}, {7, 3}, {-3, 7}}) {
        cmd.line(cx, cy, cx + dx * 40, cy + dy * 40), ref.line(cx, cy, cx + dx * 40, cy + dy * 40);
        cmd.line(cx - dx * 50 + 3, cy - dy * 50, cx + dx * 50, cy + dy * 50 - 1);
        ref.line(cx - dx * 50 + 3, cy - dy * 50, cx + dx * 50, cy + dy * 50 - 1);
    }
    cmd.line(-100, 5, 100, 5), ref.line(-100, 5, 100, 5);
    cmd.line(10, 10, 10, 10), ref.line(10, 10, 10, 10);
    cmd.line(0, 0, 3, 1), ref.line(0, 0, 3, 1);
    cmd.line(-5, -5, -1, 60), ref.line(-5, -5, -1, 60);  // left of the viewport throughout
    cmd.line(2000000000, -2000000000, -2000000000, 2000000000);
    ref.line(2000000000, -2000000000, -2000000000, 2000000000);
    }

    // Rectangles: solid and outline, degenerate and clipped.
    cmd.color(255, 0, 0), ref.colour = 0xFF0000;
    for (auto [x, y, w, h] : {std::array{6, 5, 7, 4}, {10, 10, 1, 1}, {20, 5, 0, 5}, {20, 5, 5, -3}, {50, 35, 20, 20},
                              {0, 0, 9, 9}, {2147483600, 5, 100, 5}}) {
        if (parts & kOutlines) cmd.rect(x, y, w, h, 0), ref.rect(x, y, w, h, false);
        if ((parts & kClipped) || x < kWidth) cmd.rect(x + 2, y + 20, w, h, 1), ref.rect(x + 2, y + 20, w, h, true);
    }

    // Ovals: 1x1, 1xn, odd and even, clipped.
    cmd.color(0, 0, 255), ref.colour = 0x0000FF;
    cmd.origin(3, -2), ref.ox = 3, ref.oy = -2;
    if (parts & kOvals)
    for (auto [x, y, w, h] : {std::array{8, 8, 1, 1}, {12, 8, 1, 7}, {14, 8, 7, 1}, {22, 6, 9, 9}, {33, 6, 10, 10},
                              {5, 25, 17, 11}, {40, 30, 30, 25}, {-6, -6, 16, 20}, {25, 20, 0, 4}}) {
        cmd.oval(x, y, w, h, 0), ref.oval(x, y, w, h, false);
        cmd.oval(x + 1, y + 14, w, h, 1), ref.oval(x + 1, y + 14, w, h, true);
    }
    cmd.plot(1, 4), ref.plot(1, 4);  // the origin applies to every primitive
    cmd.origin(0, 0), ref.ox = ref.oy = 0;

    // Blits, plain and masked, clipped by the viewport.
    int i = 0;
    for (QXGraphics* from : blitSources) {
        from->setMask(0xFF000000);
        const int x = -4 + (i % 4) * 16, y = 30 + (i / 4) * 12;
        driver.blit(x, y, 12, 10, from, 1, 2, 0), ref.blit(x, y, 12, 10, source, 1, 2, false, 0);
        driver.blit(x + 50, y - 30, 12, 10, from, 0, 0, QXCopyMasked);
        ref.blit(x + 50, y - 30, 12, 10, source, 0, 0, true, 0);
        ++i;
    }

    // Cls in a smaller viewport clears only that.
    cmd.viewport(40, 2, 6, 5), ref.setViewport(40, 2, 6, 5);
    cmd.clsColor(1, 2, 3), ref.clear = 0x010203;
    cmd.cls(), ref.cls();
    cmd.viewport(0, 0, kWidth, kHeight);
}

struct Target {
    QXGraphics* graphics = nullptr;
    Q2DBuffer* buffer = nullptr;
    ~Target() { release(buffer); }
};

// A buffer over a new store of the active driver, made current.
void makeTarget(Target& target, int flags) {
    target.graphics = activeGrDriver2D().createGraphics(kWidth, kHeight, flags);
    target.buffer = createBuffer(target.graphics);
    setCurrentBuffer(target.buffer);
}

// Blit sources of the active driver's kinds plus memory pixmaps of several formats.
std::vector<QXGraphics*> makeSources(const ReferenceCanvas& source, const std::vector<int>& driverFlags) {
    std::vector<QXGraphics*> stores;
    for (int flags : driverFlags) stores.push_back(activeGrDriver2D().createGraphics(source.width, source.height, flags));
    for (int format : {QXFormatXRGB8888, QXFormatRGB888, QXFormatARGB8888})
        stores.push_back(createPixmap(source.width, source.height, format, 4));
    for (QXGraphics* store : stores) writeCanvas(*store, source);
    return stores;
}

void releaseAll(std::vector<QXGraphics*>& stores) {
    for (QXGraphics* store : stores) release(store);
    stores.clear();
}

// The scene on a store of the active driver (or on `store`, taken over); its pixels.
std::vector<std::uint32_t> sceneOn(int targetFlags, ReferenceCanvas& ref, const std::vector<int>& sourceFlags,
                                   int parts = kEverything, QXGraphics* store = nullptr) {
    const ReferenceCanvas source = pattern(14, 14);
    std::vector<std::uint32_t> got;
    auto error = runtimeErrorOf([&] {
        Target target;
        if (store) {
            target.graphics = store;
            target.buffer = createBuffer(store);
            setCurrentBuffer(target.buffer);
        } else {
            makeTarget(target, targetFlags);
        }
        std::vector<QXGraphics*> sources = makeSources(source, sourceFlags);
        drawScene(ref, sources, source, parts);
        got = pixelsOf(*target.graphics);
        releaseAll(sources);
    });
    EXPECT_FALSE(error) << error.value_or("");
    return got;
}

}  // namespace

TEST(DirectDrawDriver, SceneMatchesTheReferenceRasteriserPixelForPixel) {
    DriverSession session(3);
    ASSERT_TRUE(session.started) << session.message;
    for (int targetFlags : {0, 2, 1}) {
        ReferenceCanvas ref(kWidth, kHeight);
        std::vector<std::uint32_t> got = sceneOn(targetFlags, ref, {0, 1, 2});
        EXPECT_EQ(differences(got, ref.pixels, kWidth), "") << "surface flags " << targetFlags;
    }
    // A program runs with the x87 unit at 24 bits: the ovals come out the same.
    ProgramFpuState programMode;
    ReferenceCanvas ref(kWidth, kHeight);
    std::vector<std::uint32_t> got = sceneOn(0, ref, {0});
    EXPECT_EQ(differences(got, ref.pixels, kWidth), "") << "in the program's x87 mode";
}

TEST(NativeDriver, PlotsSolidRectsBlitsAndClsMatchTheSharedRules) {
    DriverSession session(1);
    ASSERT_TRUE(session.started) << session.message;
    // GDI leaves clipping to itself and has its own lines, outlines and ellipses.
    ReferenceCanvas ref(kWidth, kHeight);
    std::vector<std::uint32_t> got = sceneOn(0, ref, {0}, 0);
    EXPECT_EQ(differences(got, ref.pixels, kWidth), "");
}

TEST(OpenGLDriver, FrameBufferGivesTheSharedPixelsAndImagesFollowTheRules) {
    DriverSession session(2);
    ASSERT_TRUE(session.started) << session.message;
    {
        ReferenceCanvas ref(kWidth, kHeight);
        QXGraphics* frame = nullptr;
        auto error = runtimeErrorOf([&] { frame = createHiddenGLGraphics(kWidth, kHeight); });
        ASSERT_FALSE(error) << *error;
        std::vector<std::uint32_t> got = sceneOn(0, ref, {0}, kEverything & ~kLines, frame);
        EXPECT_EQ(differences(got, ref.pixels, kWidth), "") << "frame buffer";
    }
    // Image stores of the OpenGL family are drawn by the shared rules, lines included.
    ReferenceCanvas ref(kWidth, kHeight);
    std::vector<std::uint32_t> got = sceneOn(0, ref, {0});
    EXPECT_EQ(differences(got, ref.pixels, kWidth), "") << "image store";
}

TEST(OpenGLDriver, WaitingRectsAndPointsLandInOrderAndSinglePixelReadsSeeThem) {
    // Solid rectangles and points wait in the frame buffer; colour changes,
    // viewports, reads and locks must each find everything drawn before them.
    DriverSession session(2);
    ASSERT_TRUE(session.started) << session.message;
    auto error = runtimeErrorOf([&] {
        Target target;
        target.graphics = createHiddenGLGraphics(kWidth, kHeight);
        target.buffer = createBuffer(target.graphics);
        setCurrentBuffer(target.buffer);
        DrawCommands cmd;
        ReferenceCanvas ref(kWidth, kHeight);
        ref.reset();
        cmd.clsColor(0, 0, 0), cmd.cls(), ref.clear = 0, ref.cls();
        unsigned seed = 99;
        auto next = [&](int range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 16) % static_cast<unsigned>(range));
        };
        for (int step = 0; step < 600; ++step) {
            if (step % 9 == 0) {
                const int r = next(256), g = next(256), b = next(256);
                cmd.color(r, g, b), ref.colour = QXColour(r << 16 | g << 8 | b);
            }
            if (step % 97 == 50) cmd.viewport(3, 2, 40, 30), ref.setViewport(3, 2, 40, 30);
            if (step % 97 == 80) cmd.viewport(0, 0, kWidth, kHeight), ref.setViewport(0, 0, kWidth, kHeight);
            const int x = next(kWidth + 8) - 4, y = next(kHeight + 8) - 4;
            if (next(3)) {
                const int w = next(20) - 2, h = next(20) - 2;
                cmd.rect(x, y, w, h, 1), ref.rect(x, y, w, h, true);
            } else {
                cmd.plot(x, y), ref.plot(x, y);
            }
            if (step % 13 == 0) {
                const int px = next(kWidth), py = next(kHeight);
                QXColour got = 0;
                target.graphics->read(px, py, 1, 1, &got, 4);
                ASSERT_EQ(got & 0xFFFFFF, ref.at(px, py)) << "step " << step << " at " << px << "," << py;
                ASSERT_EQ(got >> 24, 0xFFu) << "read colours are opaque";
            }
            if (step % 101 == 0) {
                // A lock (as the pixel commands take) between waiting drawing and more drawing.
                QXGraphicsLock lock(*target.graphics);
                ASSERT_TRUE(lock->pixels);
            }
        }
        EXPECT_EQ(differences(pixelsOf(*target.graphics), ref.pixels, kWidth), "");
        setCurrentBuffer(nullptr);
    });
    EXPECT_FALSE(error) << error.value_or("");
}

namespace {
// Runs `body` with a fresh DirectDraw buffer of kWidth x kHeight current.
std::optional<std::string> withBuffer(const std::function<void(Q2DBuffer&)>& body, int flags = 0) {
    return runtimeErrorOf([&] {
        Target target;
        makeTarget(target, flags);
        body(*target.buffer);
    });
}

std::vector<std::uint32_t> textPixels(int x, int y, const char* what, int centreX, int centreY) {
    std::vector<std::uint32_t> pixels;
    auto error = withBuffer([&](Q2DBuffer& buffer) {
        DrawCommands cmd;
        cmd.clsColor(0, 0, 0), cmd.cls();
        cmd.color(0, 0, 0), cmd.plot(0, 0);  // text right after a plot (DirectDraw holds a lock for plots)
        cmd.color(255, 255, 255);
        QXString* s = text(what);
        cmd.text(x, y, s, centreX, centreY);
        release(s);
        pixels = pixelsOf(*buffer.graphics);
    });
    EXPECT_FALSE(error) << error.value_or("");
    return pixels;
}

// The topmost row with a lit pixel, or -1.
int topRow(const std::vector<std::uint32_t>& pixels) {
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i]) return int(i / kWidth);
    return -1;
}
}  // namespace

TEST(DrawCommands, ColourStateViewportAndReadBackRules) {
    DriverSession session(3);
    ASSERT_TRUE(session.started) << session.message;
    DrawCommands cmd;
    auto error = withBuffer([&](Q2DBuffer& buffer) {
        cmd.color(300, 0, 0);
        EXPECT_EQ(buffer.colour, 0xFF2C0000u);
        EXPECT_EQ(cmd.colorRed(), 0x2C);
        cmd.color(0, 256, 0);
        EXPECT_EQ(buffer.colour, 0xFF010000u);
        EXPECT_EQ((std::array{cmd.colorRed(), cmd.colorGreen(), cmd.colorBlue()}), (std::array{1, 0, 0}));
        cmd.color(1, 2, 3);
        EXPECT_EQ(activeGrDriver2D().getColour(), 0xFF010203u) << "the driver is told";
        cmd.clsColor(9, 8, 7);
        EXPECT_EQ(buffer.clearColour, 0xFF090807u);
        EXPECT_EQ(activeGrDriver2D().getColour(), 0xFF010203u) << "ClsColor leaves the driver alone";

        // Viewport: clamped against the store, a negative start keeps the size.
        cmd.viewport(-10, -10, 50, 50);
        EXPECT_EQ(activeGrDriver2D().getViewport(), (Q2DRect{0, 0, 50, 48}));
        cmd.viewport(60, 40, 100, 100);
        EXPECT_EQ(activeGrDriver2D().getViewport(), (Q2DRect{60, 40, 64, 48}));

        // Cls only clears the viewport, in the clear colour; the colour comes back.
        cmd.viewport(0, 0, kWidth, kHeight);
        cmd.clsColor(0, 0, 0), cmd.cls();
        cmd.viewport(10, 10, 20, 20);
        cmd.clsColor(0, 255, 0), cmd.cls();
        std::vector<std::uint32_t> pixels = pixelsOf(*buffer.graphics);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = x >= 10 && x < 30 && y >= 10 && y < 30;
                ASSERT_EQ(pixels[std::size_t(y) * kWidth + x], inside ? 0x00FF00u : 0u) << x << "," << y;
            }
        EXPECT_EQ(activeGrDriver2D().getColour(), 0xFF010203u);

        // GetColor: outside the viewport the clear colour, inside the pixel
        // (after the origin); either way it becomes the drawing colour.
        cmd.getColor(5, 5);
        EXPECT_EQ(buffer.colour, buffer.clearColour);
        EXPECT_EQ(activeGrDriver2D().getColour(), buffer.clearColour);
        cmd.viewport(0, 0, kWidth, kHeight);
        cmd.color(200, 100, 50);
        cmd.plot(40, 41);
        cmd.color(0, 0, 0);
        cmd.origin(30, 31);
        cmd.getColor(10, 10);
        EXPECT_EQ(buffer.colour & 0xFFFFFF, 0xC86432u);
        cmd.getColor(-1000, 0);
        EXPECT_EQ(buffer.colour, buffer.clearColour);
        cmd.origin(0, 0);

        // A locked surface still takes fills and blits (through the portable path).
        {
            QXGraphicsLock lock(*buffer.graphics);
            cmd.color(255, 0, 255);
            cmd.rect(0, 0, 3, 3, 1);
        }
        EXPECT_EQ(pixelsOf(*buffer.graphics)[kWidth + 1], 0xFF00FFu);

        // The buffer answers its query with itself.
        EXPECT_EQ(buffer.query(queryId("Q2DBuffer")), handleOf(&buffer));
    });
    EXPECT_FALSE(error) << *error;
}

TEST(DrawCommands, TextCellsFontsAndCentring) {
    DriverSession session(3);
    ASSERT_TRUE(session.started) << session.message;
    DrawCommands cmd;
    int width = 0, height = 0;
    auto error = withBuffer([&](Q2DBuffer&) {
        QXString* s = text("Hello");
        width = cmd.stringWidth(s);
        height = cmd.stringHeight(s);
        release(s);
        QXFont* font = activeGrDriver2D().getFont();
        EXPECT_EQ(cmd.fontHeight(), font->height());
        EXPECT_EQ(cmd.fontWidth(), font->width());
        EXPECT_EQ(height, font->height());
    });
    ASSERT_FALSE(error) << *error;
    ASSERT_GT(width, 0);

    // Centring moves back by half the measured size, truncated.
    const std::vector<std::uint32_t> plain = textPixels(32 - width / 2, 20 - height / 2, "Hello", 0, 0);
    EXPECT_EQ(plain, textPixels(32, 20, "Hello", 1, 1));
    EXPECT_NE(topRow(plain), -1) << "text was drawn";
    // (x, y) is the cell's top-left: nothing above y.
    EXPECT_GE(topRow(textPixels(2, 7, "Hg", 0, 0)), 7);

    // The native driver draws text with the same pixels.
    const std::vector<std::uint32_t> ddText = textPixels(3, 5, "Quelt!", 0, 0);
    {
        DriverSession native(1);
        ASSERT_TRUE(native.started) << native.message;
        EXPECT_EQ(differences(textPixels(3, 5, "Quelt!", 0, 0), ddText, kWidth), "");
    }
}

TEST(DrawCommands, FailuresStopWithClearMessages) {
    DrawCommands cmd;
    {
        DriverSession session(3);
        ASSERT_TRUE(session.started) << session.message;
        EXPECT_EQ(runtimeErrorOf([&] { cmd.plot(1, 1); }), "No graphics buffer is set");
        EXPECT_EQ(runtimeErrorOf([&] { cmd.cls(); }), "No graphics buffer is set");
        EXPECT_EQ(cmd.graphicsBuffer(), 0);
        EXPECT_EQ(cmd.countGfxDrivers(), 3);
        for (auto [driver, name] : {std::pair{1, "Native"}, {2, "OpenGL"}, {3, "DirectDraw"}}) {
            QXString* s = cmd.gfxDriverName(driver);
            EXPECT_EQ(s->view(), name);
            release(s);
        }
        EXPECT_EQ(runtimeErrorOf([&] { cmd.gfxDriverName(0); }), "Illegal graphics driver index");
        EXPECT_EQ(runtimeErrorOf([&] { cmd.setGfxDriver(4); }), "Illegal graphics driver index");

        auto error = withBuffer([&](Q2DBuffer& buffer) {
            EXPECT_EQ(cmd.graphicsBuffer(), handleOf(&buffer));
            EXPECT_EQ(runtimeErrorOf([&] { cmd.setFont(12345); }), "Invalid Font handle");
            EXPECT_EQ(runtimeErrorOf([&] { cmd.setFont(handleOf(&buffer)); }), "Invalid Font handle");
            EXPECT_EQ(runtimeErrorOf([&] { cmd.setBuffer(12345); }), "Invalid Buffer handle");
            auto* surface = dynamic_cast<Win32DDGraphics*>(buffer.graphics);
            ASSERT_NE(surface, nullptr);
            surface->getDC();
            EXPECT_EQ(runtimeErrorOf([&] { surface->getDC(); }), "Failed to lock HDC");
            EXPECT_EQ(runtimeErrorOf([&] {
                          QXString* s = text("x");
                          cmd.text(0, 0, s, 0, 0);
                      }),
                      "Failed to lock HDC");
            surface->releaseDC();
        });
        EXPECT_FALSE(error) << error.value_or("");
        EXPECT_EQ(cmd.graphicsBuffer(), 0) << "a released buffer is no longer current";
    }

    // A buffer made under one driver is refused once drivers changed, even
    // by a new start of the same driver.
    for (int next : {1, 2, 3}) {
        DriverSession first(3);
        ASSERT_TRUE(first.started) << first.message;
        Q2DBuffer* old = nullptr;
        ASSERT_FALSE(runtimeErrorOf([&] { old = createBuffer(activeGrDriver2D().createGraphics(8, 8, 0)); }));
        DriverSession second(next);
        ASSERT_TRUE(second.started) << second.message;
        EXPECT_EQ(runtimeErrorOf([&] { cmd.setBuffer(handleOf(old)); }), "Incompatible graphics context") << next;
        EXPECT_EQ(runtimeErrorOf([&] { createBuffer(old->graphics); retain(old->graphics); }),
                  "Incompatible graphics") << next;
        release(old);
    }
}

namespace {
// A font of no driver the 2D drivers know.
class ForeignFont : public QXFont {
public:
    int width() override { return 8; }
    int height() override { return 8; }
    int ascent() override { return 6; }
    int descent() override { return 2; }
    QXTextSize measure(const QXString*) override { return {8, 8}; }
    QXString* name() override { return newString("foreign"); }
    int size() override { return 8; }
    int style() override { return 0; }
};
}  // namespace

TEST(DrawCommands, ForeignFontsAreRefusedAndOpenGLTextStartsAtTheCellTop) {
    // DirectDraw's rows for reference: the text cell's top-left is at (x, y).
    int ddTop = -1;
    {
        DriverSession directDraw(3);
        ASSERT_TRUE(directDraw.started) << directDraw.message;
        ddTop = topRow(textPixels(3, 9, "Hg", 0, 0));
    }
    ASSERT_GE(ddTop, 9);

    DriverSession session(2);
    ASSERT_TRUE(session.started) << session.message;
    ForeignFont* foreign = new ForeignFont;
    std::vector<std::uint32_t> pixels;
    auto error = runtimeErrorOf([&] {
        Target target;
        target.graphics = createHiddenGLGraphics(kWidth, kHeight);
        target.buffer = createBuffer(target.graphics);
        setCurrentBuffer(target.buffer);
        EXPECT_EQ(runtimeErrorOf([&] { activeGrDriver2D().setFont(foreign); }), "Incompatible font");
        DrawCommands cmd;
        cmd.clsColor(0, 0, 0), cmd.cls();
        cmd.color(255, 255, 255);
        QXString* s = text("Hg");
        cmd.text(3, 9, s, 0, 0);
        release(s);
        pixels = pixelsOf(*target.graphics);
    });
    release(foreign);
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(topRow(pixels), ddTop) << "the same glyphs, the same top row";
}

namespace {
// The rightmost column with a lit pixel, or -1.
int rightColumn(const std::vector<std::uint32_t>& pixels) {
    int right = -1;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i]) right = std::max(right, int(i % kWidth));
    return right;
}
}  // namespace

TEST(DrawCommands, OpenGLTextKeepsTheGapsOfSpaces) {
    // DirectDraw draws with GDI: the reference for where the glyphs end.
    const char* const lines[] = {"A B", "A  B", " AB"};
    int ddRight[3] = {};
    {
        DriverSession directDraw(3);
        ASSERT_TRUE(directDraw.started) << directDraw.message;
        for (int i = 0; i < 3; ++i) ddRight[i] = rightColumn(textPixels(3, 5, lines[i], 0, 0));
    }
    ASSERT_GT(ddRight[1], ddRight[0]) << "a second space widens the line";

    DriverSession session(2);
    ASSERT_TRUE(session.started) << session.message;
    for (int i = 0; i < 3; ++i) {
        std::vector<std::uint32_t> pixels;
        auto error = runtimeErrorOf([&] {
            Target target;
            target.graphics = createHiddenGLGraphics(kWidth, kHeight);
            target.buffer = createBuffer(target.graphics);
            setCurrentBuffer(target.buffer);
            DrawCommands cmd;
            cmd.clsColor(0, 0, 0), cmd.cls();
            cmd.color(255, 255, 255);
            QXString* s = text(lines[i]);
            cmd.text(3, 5, s, 0, 0);
            release(s);
            pixels = pixelsOf(*target.graphics);
        });
        ASSERT_FALSE(error) << *error;
        EXPECT_EQ(rightColumn(pixels), ddRight[i]) << '"' << lines[i] << '"';
    }
}
