/* Sprites drawn with DrawImage and DrawBlock, checked pixel for pixel
   against a model the program keeps itself: clipped at every edge of the
   target and of a viewport, more distinct sprites than a driver might keep
   at hand, mixed with plots, rects, text, a locked target, sources changed
   or freed after they were drawn, and the target drawn into itself.
   Runs under DirectDraw (3) with targets of every creation flag (system
   memory: 0 and 1; display format: 2) and sprites of flags 0, 1 and 2, then
   under Native (1). Prints "driver N flags F" then "ok <step>" or
   "FAIL <step> at x,y got <value> want <value>" per step. */
#include "qxprog.h"
#include "qxtest.h"

#define W 40
#define H 30
#define SPRITES 20
#define SW 8
#define SH 6

static int model[H][W];
static int viewLeft, viewTop, viewRight, viewBottom;
static int sprites[SPRITES];
static int spriteFlags[SPRITES];
static int spritePixels[SPRITES][SH][SW];

/* Compares the whole buffer with the model; one line for the step. */
static void verify(int buffer, const char* step) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int got = ReadPixel(x, y, buffer) & 0xFFFFFF;
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

static int visible(int x, int y) {
    return x >= 0 && y >= 0 && x < W && y < H && x >= viewLeft && x < viewRight && y >= viewTop && y < viewBottom;
}

/* Colours exact in every format the drivers use (multiples of 8); 0 is the mask. */
static int patternColour(int k, int x, int y) {
    if ((x * 3 + y * 5 + k) % 4 == 0) return 0;
    return ((8 + k * 8) << 16) | ((x * 24 + 8) << 8) | (y * 32 + 16);
}

static void makeSprite(int k, int flags) {
    sprites[k] = CreateImage(SW, SH, 1, flags);
    spriteFlags[k] = flags;
    const int buffer = ImageBuffer(sprites[k], 0);
    for (int y = 0; y < SH; ++y)
        for (int x = 0; x < SW; ++x) {
            spritePixels[k][y][x] = patternColour(k, x, y);
            WritePixel(x, y, (int)(0xFF000000u | (unsigned)spritePixels[k][y][x]), buffer);
        }
    MaskImage(sprites[k], 0, 0, 0);
}

static void draw(int k, int x, int y, int masked) {
    if (masked)
        DrawImage(sprites[k], x, y, 0);
    else
        DrawBlock(sprites[k], x, y, 0);
    for (int sy = 0; sy < SH; ++sy)
        for (int sx = 0; sx < SW; ++sx) {
            const int c = spritePixels[k][sy][sx];
            if (visible(x + sx, y + sy) && (!masked || c != 0)) model[y + sy][x + sx] = c;
        }
}

static void rect(int x, int y, int w, int h, int colour) {
    Color(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
    Rect(x, y, w, h, 1);
    for (int ty = y; ty < y + h; ++ty)
        for (int tx = x; tx < x + w; ++tx)
            if (visible(tx, ty)) model[ty][tx] = colour;
}

static void plot(int x, int y, int colour) {
    Color(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
    Plot(x, y);
    if (visible(x, y)) model[y][x] = colour;
}

/* Every placement across every edge of the area [left, right) x [top, bottom). */
static void drawAcross(int left, int top, int right, int bottom, int* k) {
    const int xs[] = {left - SW - 1, left - SW, left - SW + 1, left - 3, left, left + 2,
                      right - SW,    right - 5, right - 1,     right,    right + 1};
    const int ys[] = {top - SH - 1, top - SH, top - SH + 1, top - 2, top, top + 3,
                      bottom - SH,  bottom - 3, bottom - 1, bottom};
    for (int i = 0; i < (int)(sizeof xs / sizeof xs[0]); ++i)
        for (int j = 0; j < (int)(sizeof ys / sizeof ys[0]); ++j) {
            draw(*k, xs[i], ys[j], (i + j) % 2);
            *k = (*k + 1) % SPRITES;
        }
}

static void scene(int driver, int targetFlags) {
    put(Write, "driver ");
    number(driver);
    put(Write, " flags ");
    number(targetFlags);
    put(Print, "");
    for (int k = 0; k < SPRITES; ++k) makeSprite(k, k % 3 == 2 ? 2 : k % 2);

    const int target = CreateImage(W, H, 1, targetFlags);
    const int buffer = ImageBuffer(target, 0);
    SetBuffer(buffer);
    setView(0, 0, W, H);
    rect(0, 0, W, H, 0x102030);
    int k = 0;

    drawAcross(0, 0, W, H, &k);
    verify(buffer, "clipped at every edge of the target");

    setView(5, 4, 27, 19);
    drawAcross(5, 4, 32, 23, &k);
    verify(buffer, "clipped at every edge of a viewport");
    setView(0, 0, W, H);

    /* Plots and rects between blits onto the same target. */
    for (int i = 0; i < 12; ++i) {
        plot(i * 3, i * 2, 0xF8F8F8);
        draw(k, i * 3 - 2, i * 2 - 1, i % 2);
        rect(i * 3 + 1, 20 - i, 2, 3, 0x4080C0);
        draw((k + 7) % SPRITES, 30 - i * 2, i, 1);
        k = (k + 1) % SPRITES;
    }
    verify(buffer, "plots and rects between sprites");

    /* Text after sprites needs the target's device context; covered after. */
    draw(0, 1, 1, 1);
    Color(255, 255, 255);
    QXString* s = text("Hi");
    Text(2, 2, s, 0, 0);
    _qxStrRelease(s);
    rect(0, 0, W, 16, 0x203040);
    draw(1, 3, 3, 1);
    verify(buffer, "text between sprites");

    /* A locked target. */
    LockBuffer(buffer);
    draw(2, 10, 10, 1);
    WritePixelFast(11, 11, (int)0xFF808000, buffer);
    model[11][11] = 0x808000;
    draw(3, 12, 12, 0);
    UnlockBuffer(buffer);
    draw(4, 14, 14, 1);
    verify(buffer, "sprites on a locked target");

    /* A source changed after it was drawn, through its own buffer while
       another is current, then through SetBuffer. */
    draw(5, 20, 2, 0);
    WritePixel(1, 1, (int)0xFFF80000, ImageBuffer(sprites[5], 0));
    spritePixels[5][1][1] = 0xF80000;
    draw(5, 20, 10, 0);
    SetBuffer(ImageBuffer(sprites[5], 0));
    Color(0, 0, 248);
    Rect(2, 2, 2, 2, 1);
    SetBuffer(buffer);
    for (int y = 2; y < 4; ++y)
        for (int x = 2; x < 4; ++x) spritePixels[5][y][x] = 0x0000F8;
    draw(5, 28, 18, 1);
    verify(buffer, "a source changed after it was drawn");

    /* A source freed after it was drawn; later sprites still land. */
    draw(6, 0, 20, 1);
    FreeImage(sprites[6]);
    makeSprite(6, spriteFlags[6]);
    draw(7, 8, 22, 1);
    draw(6, 16, 22, 0);
    verify(buffer, "a source freed after it was drawn");

    /* The target drawn into itself, overlapping, plain and masked (its mask is black). */
    MaskImage(target, 0, 0, 0);
    rect(30, 20, 4, 4, 0);
    static int before[H][W];
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) before[y][x] = model[y][x];
        const int dx = pass ? -3 : 2, dy = pass ? -2 : 1;
        if (pass)
            DrawBlock(target, dx, dy, 0);
        else
            DrawImage(target, dx, dy, 0);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (visible(x + dx, y + dy) && (pass || before[y][x] != 0)) model[y + dy][x + dx] = before[y][x];
    }
    verify(buffer, "the target drawn into itself");

    /* A sprite drawn into this target, changed, then drawn onto a display-format target. */
    const int other = CreateImage(W, H, 1, 2);
    draw(1, 0, 0, 0);
    WritePixel(0, 0, (int)0xFF00F800, ImageBuffer(sprites[1], 0));
    SetBuffer(ImageBuffer(other, 0));
    DrawBlock(sprites[1], 0, 0, 0);
    const int corner = ReadPixel(0, 0, ImageBuffer(other, 0)) & 0xFFFFFF;
    put(Print, corner == 0x00F800 ? "ok a changed sprite onto another target" : "FAIL a changed sprite onto another target");

    FreeImage(other);
    FreeImage(target);
    for (int i = 0; i < SPRITES; ++i) FreeImage(sprites[i]);
}

void qxmain(void) {
    SetGfxDriver(3);
    for (int flags = 0; flags <= 2; ++flags) scene(3, flags);
    SetGfxDriver(1);
    scene(1, 2);
}
