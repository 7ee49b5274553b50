/* Images drawn through each 2D driver and read back with GetColor. The same
   scene runs under DirectDraw (3), Native (1) and OpenGL (2); every step uses
   only rules the drivers share, so all three must give the same pixels.
   Prints, per driver, "driver N" then one line per check ("ok <check>" or
   "FAIL <check> got <value>"), the sample pixels and a hash of the whole
   target, then ends by drawing a frame that does not exist. */
#include "qxprog.h"
#include "qxtest.h"

static void check(int ok, const char* what, int got) {
    put(Write, ok ? "ok " : "FAIL ");
    put(Write, what);
    if (!ok) {
        put(Write, " got ");
        number(got);
    }
    put(Print, "");
}

/* The RGB of a pixel of the current buffer as one number. */
static int pixel(int x, int y) {
    GetColor(x, y);
    return ColorRed() * 65536 + ColorGreen() * 256 + ColorBlue();
}

#define RED 0xF80000
#define GREEN 0x00F800
#define BLUE 0x0000F8
#define GREY 0x808080

static void scene(int flags) {
    /* An 8x8 sprite: black border (the mask colour), a red 4x4 square, a green corner pixel. */
    int sprite = CreateImage(8, 8, 1, flags);
    SetBuffer(ImageBuffer(sprite, 0));
    check(pixel(0, 0) == 0 && pixel(7, 7) == 0 && pixel(3, 3) == 0, "a new image is black", pixel(3, 3));
    Color(248, 0, 0);
    Rect(2, 2, 4, 4, 1);
    Color(0, 248, 0);
    Plot(0, 0);
    check(pixel(2, 2) == RED && pixel(5, 5) == RED && pixel(6, 6) == 0 && pixel(0, 0) == GREEN,
          "drawing into the image's buffer", pixel(2, 2));

    int target = CreateImage(64, 48, 1, flags);
    SetBuffer(ImageBuffer(target, 0));
    ClsColor(0, 0, 248);
    Cls();
    DrawBlock(sprite, 0, 0, 0);
    check(pixel(1, 1) == 0 && pixel(3, 3) == RED && pixel(0, 0) == GREEN, "DrawBlock copies every pixel", pixel(1, 1));
    DrawImage(sprite, 10, 0, 0);
    check(pixel(11, 1) == BLUE && pixel(13, 3) == RED && pixel(10, 0) == GREEN, "DrawImage leaves out the mask colour",
          pixel(11, 1));
    HandleImage(sprite, 4, 4);
    DrawImage(sprite, 24, 4, 0); /* top-left at (20, 0) */
    check(pixel(22, 2) == RED && pixel(20, 0) == GREEN && pixel(19, 0) == BLUE, "the handle is at the point",
          pixel(20, 0));
    HandleImage(sprite, 0, 0);
    DrawBlockRect(sprite, 30, 0, -2, 2, 6, 2, 0); /* columns 0-3 of rows 2-3 at x 32 */
    check(pixel(31, 0) == BLUE && pixel(32, 0) == 0 && pixel(34, 0) == RED && pixel(36, 0) == BLUE,
          "DrawBlockRect cuts the part to the frame", pixel(34, 0));
    Origin(1, 1);
    DrawBlock(sprite, 40, 0, 0);
    Origin(0, 0);
    check(pixel(41, 1) == GREEN && pixel(40, 0) == BLUE, "the origin moves images", pixel(41, 1));

    /* Tiles in a viewport, anchored off the viewport's corner. */
    Viewport(0, 20, 20, 20);
    TileImage(sprite, 3, 5, 0);
    Viewport(0, 0, 64, 48);
    check(pixel(3, 21) == GREEN && pixel(11, 29) == GREEN && pixel(0, 23) == RED && pixel(19, 39) == BLUE &&
              pixel(20, 21) == BLUE && pixel(4, 22) == BLUE,
          "TileImage covers the viewport from the floored first tile", pixel(0, 23));

    /* Grab a part of the target, draw it elsewhere. */
    int grabbed = CreateImage(8, 8, 1, flags);
    GrabImage(grabbed, 8, 0, 0);
    DrawBlock(grabbed, 50, 20, 0);
    check(pixel(50, 20) == BLUE && pixel(52, 20) == GREEN && pixel(55, 23) == RED, "GrabImage", pixel(52, 20));

    /* Collisions of the drawn sprite. */
    check(ImagesCollide(sprite, 0, 0, 0, sprite, 3, 3, 0) == 1, "red squares overlapping collide", 0);
    check(ImagesCollide(sprite, 0, 0, 0, sprite, 6, 0, 0) == 0, "boxes overlap, solid pixels do not", 1);
    check(ImagesCollide(sprite, 0, 0, 0, sprite, 5, 5, 0) == 1, "green corner on red", 0);
    check(ImageRectCollide(sprite, 0, 0, 0, 6, 6, 2, 2) == 0 && ImageRectCollide(sprite, 0, 0, 0, 5, 5, 2, 2) == 1,
          "ImageRectCollide", 0);

    /* Transformed, drawn, read back. */
    TFormFilter(0);
    ScaleImage(grabbed, -1, 1);
    check(ImageWidth(grabbed) == 8 && ImageXHandle(grabbed) == 8, "a mirror moves the handle", ImageXHandle(grabbed));
    DrawBlock(grabbed, 8, 40, 0);
    check(pixel(5, 40) == GREEN && pixel(7, 40) == BLUE, "the mirrored image", pixel(5, 40));

    /* The whole target as one number. */
    unsigned hash = 2166136261u;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            hash = (hash ^ (unsigned)pixel(x, y)) * 16777619u;
        }
    put(Write, "hash ");
    number((int)(hash & 0x7FFFFFFF));
    put(Print, "");

    /* Drawing the sprite into its own frame, masked and plain, then
       changing it after it was drawn once (DirectDraw twins must follow). */
    SetBuffer(ImageBuffer(sprite, 0));
    DrawImage(sprite, 1, 0, 0);
    DrawBlock(sprite, 0, 1, 0);
    TileImage(sprite, 3, 3, 0);
    GrabImage(sprite, 2, 2, 0);
    Color(0, 0, 248);
    Rect(0, 0, 8, 8, 1);
    SetBuffer(ImageBuffer(target, 0));
    DrawBlock(sprite, 0, 0, 0);
    check(pixel(0, 0) == BLUE && pixel(7, 7) == BLUE, "an image drawn into itself, then redrawn", pixel(0, 0));

    /* Freeing the image whose frame is the current buffer. */
    FreeImage(target);
    FreeImage(sprite);
    FreeImage(grabbed);
}

void qxmain(void) {
    int drivers[3] = {3, 1, 2};
    for (int i = 0; i < 3; ++i) {
        SetGfxDriver(drivers[i]);
        put(Write, "driver ");
        number(drivers[i]);
        put(Print, "");
        /* display format, 24-bit with a display twin, 24-bit system memory */
        for (int flags = 2; flags >= 0; --flags) {
            put(Write, "flags ");
            number(flags);
            put(Print, "");
            scene(flags);
        }
    }
    int last = CreateImage(4, 4, 2, 2);
    DrawImage(last, 0, 0, 2);
    put(Print, "not reached");
}
