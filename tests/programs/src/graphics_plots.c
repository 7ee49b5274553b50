/* Plots mixed with every other way of changing a screen's back buffer, under
   DirectDraw (3), Native (1) and OpenGL (2): each later drawing must land on
   top of the plots before it, and plots on top of what came before them,
   whatever a driver keeps back to draw later. The program keeps a model of
   the buffer and compares every pixel after each step. Prints "driver N",
   then "ok <step>" or "FAIL <step> at x,y got <value> want <value>". */
#include "qxprog.h"
#include "qxtest.h"

#define W 64
#define H 48

static int model[H][W];
static int viewLeft, viewTop, viewRight, viewBottom;
static int colour;

static void verify(const char* step) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int got = ReadPixel(x, y, 0) & 0xFFFFFF;
            if (got != model[y][x]) {
                reportPixelMismatch(step, x, y, got, model[y][x]);
                return;
            }
        }
    put(Write, "ok ");
    put(Print, step);
}

static void setView(int left, int top, int width, int height) {
    Viewport(left, top, width, height);
    viewLeft = left, viewTop = top, viewRight = left + width, viewBottom = top + height;
}

/* Native clips only text to the viewport. */
static int viewportClips;

static int visible(int x, int y) {
    return x >= 0 && y >= 0 && x < W && y < H &&
           (!viewportClips || (x >= viewLeft && x < viewRight && y >= viewTop && y < viewBottom));
}

/* Colours exact in every format (multiples of 8). */
static void setColour(int c) {
    colour = c;
    Color(c >> 16, (c >> 8) & 0xFF, c & 0xFF);
}

static void plot(int x, int y) {
    Plot(x, y);
    if (visible(x, y)) model[y][x] = colour;
}

static void rect(int x, int y, int w, int h) {
    Rect(x, y, w, h, 1);
    for (int ty = y; ty < y + h; ++ty)
        for (int tx = x; tx < x + w; ++tx)
            if (visible(tx, ty)) model[ty][tx] = colour;
}

/* A diagonal band of plots over the whole buffer (and beyond its edges). */
static void plots(int seed) {
    for (int i = -4; i < W + H + 4; ++i) plot(i - seed % 7, (i * 3 + seed) % (H + 6) - 3);
}

static void scene(int driver) {
    SetGfxDriver(driver);
    viewportClips = driver != 1;
    put(Write, "driver ");
    number(driver);
    put(Print, "");
    Graphics(W, H, 0, 2);
    SetBuffer(BackBuffer());
    setView(0, 0, W, H);
    ClsColor(16, 32, 48);
    Cls();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) model[y][x] = 0x102030;

    setColour(0xF80000);
    plots(0);
    setColour(0x00F800);
    plots(1);
    plot(10, 10);
    setColour(0x0000F8);
    plot(10, 10);
    verify("plots of one colour, then another");

    rect(8, 8, 20, 12);
    setColour(0xF8F800);
    plots(2);
    verify("a rect over plots, plots over the rect");

    setView(16, 12, 30, 20);
    plots(3);
    setColour(0x00F8F8);
    setView(0, 0, W, H);
    plots(4);
    verify("plots in a viewport, then in the whole buffer");

    /* A sprite drawn over plots, plots over the sprite. */
    int image = CreateImage(12, 10, 1, 2);
    SetBuffer(ImageBuffer(image, 0));
    Color(248, 128, 0);
    Rect(0, 0, 12, 10, 1);
    SetBuffer(BackBuffer());
    Color(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
    DrawBlock(image, 30, 30, 0);
    for (int y = 30; y < 40; ++y)
        for (int x = 30; x < 42; ++x) model[y][x] = 0xF88000;
    plots(5);
    verify("a sprite over plots, plots over the sprite");

    /* Another buffer current between plots. */
    setColour(0xF800F8);
    plots(6);
    SetBuffer(ImageBuffer(image, 0));
    Plot(1, 1);
    SetBuffer(BackBuffer());
    setColour(0x808080);
    plots(7);
    verify("another buffer current between plots");

    /* Pixels written between plots, at the plotted places. */
    setColour(0xF8F8F8);
    plot(20, 20);
    WritePixel(20, 20, (int)0xFF000080, 0);
    model[20][20] = 0x000080;
    WritePixel(21, 20, (int)0xFF000080, 0);
    plot(21, 20);
    verify("WritePixel and plots in turn");

    /* A line over plots and plots over a line, at one pixel each. */
    setColour(0x800000);
    plot(40, 5);
    setColour(0x008000);
    Line(35, 5, 45, 5);
    model[5][40] = 0x008000;
    setColour(0x000080);
    plot(42, 5);
    {
        int ok = (ReadPixel(40, 5, 0) & 0xFFFFFF) == 0x008000 && (ReadPixel(42, 5, 0) & 0xFFFFFF) == 0x000080;
        put(Print, ok ? "ok a line over plots, plots over a line" : "FAIL a line over plots, plots over a line");
    }

    FreeImage(image);
    EndGraphics();
}

void qxmain(void) {
    scene(3);
    scene(1);
    scene(2);
}
