/* drivers: one scene drawn by each 2D driver, side by side.

   The scene (sky, sun, hills, a house, a tiled wall, masked and scaled
   sprites, a fan of lines, text) is drawn into an image under Native, OpenGL
   and DirectDraw in turn and read back pixel by pixel with GetColor. The
   three read-backs are then laid out next to each other, each captioned with
   its driver's name, and saved as a BMP picture: the file named on the
   command line, or drivers.bmp.

   Prints, per driver, its name and how many pixels of its scene differ from
   the first driver's, then the size of the picture and its file name. */
#include "qxprog.h"

#define PANEL_WIDTH 192
#define PANEL_HEIGHT 144
#define GAP 8
#define CAPTION 22
#define DRIVERS 3
#define PICTURE_WIDTH (DRIVERS * PANEL_WIDTH + (DRIVERS + 1) * GAP)
#define PICTURE_HEIGHT (PANEL_HEIGHT + 2 * GAP + CAPTION)

/* A temporary string: the caller frees it with _qxStrTmpFree. */
static QXString* text(const char* bytes) { return _qxStrFromCStr((void*)bytes); }

static void put(void(QXCALL* out)(QXString*), const char* bytes) {
    out(text(bytes));
    _qxStrTmpFree(1);
}

static void number(int value) {
    Write(_qxStrFromInt(value));
    _qxStrTmpFree(1);
}

static int loadFont(int height, int bold) {
    int font = LoadFont(text("Tahoma"), height, bold, 0, 0);
    _qxStrTmpFree(1);
    return font;
}

static QXString* outputFile; /* a string variable: owns its reference */

/* A 16x16 sprite on black, the mask colour: a round yellow face. */
static int makeSprite(void) {
    int sprite = CreateImage(16, 16, 1, 2);
    SetBuffer(ImageBuffer(sprite, 0));
    Color(255, 208, 0);
    Oval(1, 1, 14, 14, 1);
    Color(32, 32, 32);
    Rect(5, 5, 2, 3, 1);
    Rect(10, 5, 2, 3, 1);
    Rect(5, 11, 6, 1, 1);
    Plot(4, 10);
    Plot(11, 10);
    return sprite;
}

/* An 8x8 brick for the wall: mortar lines over a red block. */
static int makeBrick(void) {
    int brick = CreateImage(8, 8, 1, 2);
    SetBuffer(ImageBuffer(brick, 0));
    Color(168, 56, 40);
    Rect(0, 0, 8, 8, 1);
    Color(216, 200, 176);
    Rect(0, 3, 8, 1, 1);
    Rect(0, 7, 8, 1, 1);
    Rect(3, 0, 1, 3, 1);
    Rect(7, 4, 1, 3, 1);
    return brick;
}

static void drawScene(int target, int font) {
    int brick = makeBrick();
    int sprite = makeSprite();
    SetBuffer(ImageBuffer(target, 0));
    /* Sky: one line per row, darker blue at the top. Native leaves out a
       line's end point, so each row runs one past the edge. */
    for (int y = 0; y < 104; ++y) {
        Color(48 + y, 96 + y, 224 - y / 4);
        Line(0, y, PANEL_WIDTH, y);
    }
    /* Rays: a fan of lines from the sun's centre, then the sun with a ring. */
    Color(255, 240, 160);
    for (int i = 0; i < 9; ++i) Line(160, 26, 88 + i * 9, 70);
    Color(255, 232, 96);
    Oval(146, 12, 28, 28, 1);
    Color(255, 248, 200);
    Oval(140, 6, 40, 40, 0);
    /* Two hills and the ground. */
    Color(56, 152, 72);
    Oval(-48, 76, 150, 80, 1);
    Color(40, 128, 64);
    Oval(80, 84, 170, 70, 1);
    Color(112, 84, 52);
    Rect(0, 112, PANEL_WIDTH, PANEL_HEIGHT - 112, 1);
    /* A house: walls, a roof filled row by row, a door and windows. */
    Color(236, 228, 208);
    Rect(20, 78, 56, 38, 1);
    Color(152, 40, 40);
    for (int row = 0; row < 24; ++row) Rect(44 - row, 54 + row, 9 + 2 * row, 1, 1);
    Color(96, 64, 32);
    Rect(42, 94, 12, 22, 1);
    Color(80, 160, 232);
    Rect(26, 86, 10, 10, 1);
    Rect(60, 86, 10, 10, 1);
    Color(40, 40, 40);
    Rect(26, 86, 10, 10, 0);
    Rect(60, 86, 10, 10, 0);
    /* A brick wall tiled inside a viewport, anchored off its corner. */
    Viewport(88, 100, 96, 16);
    TileBlock(brick, 2, 0, 0);
    Viewport(0, 0, PANEL_WIDTH, PANEL_HEIGHT);
    /* Sprites: masked on the wall and the ground, one plain, one doubled. */
    DrawImage(sprite, 96, 84, 0);
    DrawImage(sprite, 120, 120, 0);
    DrawBlock(sprite, 164, 120, 0);
    int big = CopyImage(sprite);
    TFormFilter(0);
    ScaleImage(big, 2, 2);
    DrawImage(big, 140, 66, 0);
    /* Text in a loaded font, centred. */
    SetFont(font);
    Color(16, 16, 64);
    Text(52, 130, text("Quelt 2D"), 1, 1);
    _qxStrTmpFree(1);
    FreeImage(big);
    FreeImage(sprite);
    FreeImage(brick);
}

/* The RGB of a pixel of the current buffer as one number. */
static int pixel(int x, int y) {
    GetColor(x, y);
    return ColorRed() * 65536 + ColorGreen() * 256 + ColorBlue();
}

static int panels[DRIVERS][PANEL_HEIGHT][PANEL_WIDTH];
static const int drivers[DRIVERS] = {1, 2, 3};

/* Draws the scene under the current driver and reads it back into a panel. */
static void drawPanel(int panel) {
    int font = loadFont(16, 1);
    int target = CreateImage(PANEL_WIDTH, PANEL_HEIGHT, 1, 2);
    drawScene(target, font);
    SetBuffer(ImageBuffer(target, 0));
    for (int y = 0; y < PANEL_HEIGHT; ++y)
        for (int x = 0; x < PANEL_WIDTH; ++x) panels[panel][y][x] = pixel(x, y);
    FreeImage(target);
    FreeFont(font);
}

static int differences(int panel) {
    int count = 0;
    for (int y = 0; y < PANEL_HEIGHT; ++y)
        for (int x = 0; x < PANEL_WIDTH; ++x) count += panels[panel][y][x] != panels[0][y][x];
    return count;
}

/* The three panels next to each other on a dark ground, each captioned. */
static int compose(void) {
    int picture = CreateImage(PICTURE_WIDTH, PICTURE_HEIGHT, 1, 2);
    SetBuffer(ImageBuffer(picture, 0));
    ClsColor(40, 44, 52);
    Cls();
    int font = loadFont(16, 0);
    SetFont(font);
    for (int panel = 0; panel < DRIVERS; ++panel) {
        int left = GAP + panel * (PANEL_WIDTH + GAP);
        /* Row by row, one box per run of pixels of one colour. */
        for (int y = 0; y < PANEL_HEIGHT; ++y)
            for (int x = 0; x < PANEL_WIDTH;) {
                int rgb = panels[panel][y][x];
                int run = 1;
                while (x + run < PANEL_WIDTH && panels[panel][y][x + run] == rgb) ++run;
                Color(rgb >> 16, (rgb >> 8) & 255, rgb & 255);
                Rect(left + x, GAP + y, run, 1, 1);
                x += run;
            }
        Color(232, 232, 232);
        Text(left + PANEL_WIDTH / 2, GAP + PANEL_HEIGHT + GAP + CAPTION / 2, _qxStrTmp(GfxDriverName(drivers[panel])),
             1, 1);
        _qxStrTmpFree(1);
    }
    FreeFont(font);
    return picture;
}

void qxmain(void) {
    for (int panel = 0; panel < DRIVERS; ++panel) {
        SetGfxDriver(drivers[panel]);
        drawPanel(panel);
        Write(_qxStrTmp(GfxDriverName(drivers[panel])));
        _qxStrTmpFree(1);
        put(Write, ": pixels unlike Native ");
        number(differences(panel));
        put(Print, "");
    }

    int picture = compose();
    /* file$ = Trim(CommandLine()): If file$ = "" Then file$ = "drivers.bmp" */
    _qxStrStore(&outputFile, _qxStrTmp(Trim(_qxStrTmp(CommandLine()))));
    _qxStrTmpFree(2);
    if (_qxStrCompare(_qxStrLoad(&outputFile), text("")) == 0) _qxStrStore(&outputFile, text("drivers.bmp"));
    _qxStrTmpFree(1);
    int saved = SaveImage(picture, _qxStrLoad(&outputFile), 0);
    put(Write, "picture ");
    number(PICTURE_WIDTH);
    put(Write, "x");
    number(PICTURE_HEIGHT);
    put(Write, saved ? " saved as " : " could not be saved as ");
    Print(_qxStrLoad(&outputFile));
    FreeImage(picture);
}
