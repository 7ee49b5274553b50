/* A windowed screen under the driver named on the command line (1 Native,
   2 OpenGL, 3 DirectDraw): opening it, drawing, reading back through every
   path (ReadPixel, the fast forms, the locked-pixels bank), rectangle and
   pixel copies clipped at the edges, saving and reloading a buffer, gamma,
   and the current buffer after its owner has gone. Prints "ok <check>" or
   "FAIL <check> got <value>" per check. The last frame stays shown for a
   while so that it can be photographed: a 64x48 client area of green
   (10, 200, 30) with a red 16x8 box at (8, 8) and a blue pixel at (40, 20). */
#include "qxprog.h"
#include "qxtest.h"

static void check(int ok, const char* what, int got) {
    put(Write, ok ? "ok " : "FAIL ");
    put(Write, what);
    if (!ok) {
        QXString* s = _qxStrFromInt(got);
        put(Write, " got ");
        Write(s);
        _qxStrRelease(s);
    }
    put(Print, "");
}

#define RGB(c) ((c) & 0xFFFFFF)
#define GREEN 0x0AC81E
#define RED 0xFA0000
#define BLUE 0x0000F8
#define WHITE 0xFFFFFF

static int bytesOf(int format) { return format == 3 ? 3 : format == 4 || format == 7 ? 4 : 2; }

void qxmain(void) {
    QXString* line = CommandLine();
    int driver = _qxStrToInt(line);
    _qxStrRelease(line);
    SetGfxDriver(driver);

    check(BackBuffer() == 0 && FrontBuffer() == 0, "no graphics buffer before Graphics", BackBuffer());
    check(GammaRed(10) == 10 && GammaBlue(255) == 255, "gamma starts as the identity", GammaRed(10));
    check(CountGfxModes() >= 1, "display modes listed", CountGfxModes());
    if (driver != 3) {
        check(CountGfxModes() == 1 && GfxModeWidth(1) == 640 && GfxModeHeight(1) == 480 && GfxModeFormat(1) == 1 &&
                  GfxModeDepth(1) == 16 && GfxModeExists(640, 480, 0, 0) && !GfxModeExists(800, 0, 0, 0),
              "one mode of 640x480 in format 1", CountGfxModes());
    } else {
        int i, n = CountGfxModes(), consistent = 1;
        for (i = 1; i <= n; ++i)
            consistent &= GfxModeExists(GfxModeWidth(i), GfxModeHeight(i), GfxModeDepth(i), GfxModeFormat(i));
        check(consistent, "every listed mode exists", n);
    }

    Graphics(64, 48, 24, 2);
    int back = BackBuffer();
    check(back != 0 && GraphicsBuffer() == back && FrontBuffer() == back, "Graphics makes the current buffer", back);
    check(GraphicsWidth() == 64 && GraphicsHeight() == 48, "graphics size", GraphicsWidth());
    check(GraphicsDepth() >= 16, "graphics depth", GraphicsDepth());
    check(RGB(ReadPixel(5, 5, 0)) == 0, "a new screen is black", ReadPixel(5, 5, 0));

    ClsColor(10, 200, 30);
    Cls();
    Color(250, 0, 0);
    Rect(8, 8, 16, 8, 1);
    WritePixel(40, 20, 0xFF0000F8, 0);
    check(RGB(ReadPixel(40, 20, 0)) == BLUE, "WritePixel then ReadPixel", ReadPixel(40, 20, 0));
    check(RGB(ReadPixel(8, 8, back)) == RED && RGB(ReadPixel(7, 8, back)) == GREEN, "box edges", ReadPixel(7, 8, back));
    check(ReadPixel(-1, 0, 0) == (int)0xFF0AC81E && ReadPixel(64, 0, 0) == (int)0xFF0AC81E,
          "outside reads the clear colour", ReadPixel(-1, 0, 0));
    WritePixel(64, 0, 0xFFFFFFFF, 0);
    WritePixel(-1, -1, 0xFFFFFFFF, 0);
    check(RGB(ReadPixel(63, 0, 0)) == GREEN && RGB(ReadPixel(0, 0, 0)) == GREEN, "outside writes nothing", 0);
    Origin(10, 10);
    check(RGB(ReadPixel(0, 0, 0)) == RED && RGB(ReadPixel(30, 10, 0)) == BLUE, "origin offsets ReadPixel",
          ReadPixel(0, 0, 0));
    Origin(0, 0);

    LockBuffer(0);
    LockBuffer(back);
    UnlockBuffer(0);
    {
        int pitch = LockedPitch(0), format = LockedFormat(back), bank = LockedPixels(0);
        int size = bytesOf(format);
        check(pitch >= 64 * size, "locked pitch", pitch);
        check(BankSize(bank) == pitch * 48, "the locked bank spans pitch x height", BankSize(bank));
        check(RGB(ReadPixelFast(12, 10, 0)) == RED && RGB(ReadPixelFast(40, 20, back)) == BLUE,
              "ReadPixelFast while still locked", ReadPixelFast(12, 10, 0));
        WritePixelFast(41, 20, 0xFFFFFFFF, 0);
        check(RGB(ReadPixelFast(41, 20, 0)) == WHITE, "WritePixelFast", ReadPixelFast(41, 20, 0));
        check(ReadPixelFast(-5, 3, 0) == (int)0xFF0AC81E && ReadPixelFast(3, 4800, 0) == (int)0xFF0AC81E,
              "ReadPixelFast outside reads the clear colour", ReadPixelFast(-5, 3, 0));
        WritePixelFast(100000, 3, 0xFFFFFFFF, 0);
        WritePixelFast(0, -2, 0xFFFFFFFF, 0);
        if (size == 4) {
            check((PeekInt(bank, 20 * pitch + 40 * 4) & 0xFFFFFF) == BLUE, "the bank holds the pixels",
                  PeekInt(bank, 20 * pitch + 40 * 4));
        } else {
            check(PeekByte(bank, 20 * pitch + 40 * size) != 0, "the bank holds the pixels", format);
        }
        WritePixelFast(41, 20, 0xFF0AC81E, 0);
    }
    UnlockBuffer(0);
    UnlockBuffer(0); /* one too many changes nothing */
    check(RGB(ReadPixel(40, 20, 0)) == BLUE && RGB(ReadPixel(41, 20, 0)) == GREEN, "written through the lock", 0);

    {
        /* An 8x8 blue image with a white top-left pixel, in the image store's own format. */
        int image = CreateImage(8, 8, 1, 2);
        int source = ImageBuffer(image, 0);
        SetBuffer(source);
        Color(0, 0, 248);
        Rect(0, 0, 8, 8, 1);
        WritePixel(0, 0, 0xFFFFFFFF, 0);
        SetBuffer(back);
        CopyRect(4, 4, 8, 8, 60, 44, source, 0);
        check(RGB(ReadPixel(63, 47, 0)) == BLUE && RGB(ReadPixel(59, 47, 0)) == GREEN, "CopyRect clipped right and bottom",
              ReadPixel(63, 47, 0));
        CopyRect(-2, -2, 8, 8, 30, 2, source, 0);
        check(RGB(ReadPixel(32, 4, 0)) == WHITE && RGB(ReadPixel(31, 3, 0)) == GREEN && RGB(ReadPixel(37, 9, 0)) == BLUE &&
                  RGB(ReadPixel(38, 10, 0)) == GREEN && RGB(ReadPixel(38, 4, 0)) == GREEN,
              "CopyRect clipped left and top moves the destination", ReadPixel(32, 4, 0));
        CopyRect(0, 0, 8, 8, -3, 44, source, 0);
        check(RGB(ReadPixel(0, 44, 0)) == BLUE && RGB(ReadPixel(4, 44, 0)) == BLUE && RGB(ReadPixel(5, 44, 0)) == GREEN,
              "CopyRect clipped at the destination's left", ReadPixel(5, 44, 0));
        CopyPixel(0, 0, source, 50, 30, 0);
        CopyPixel(9, 0, source, 51, 30, 0);
        check(RGB(ReadPixel(50, 30, 0)) == WHITE && RGB(ReadPixel(51, 30, 0)) == GREEN, "CopyPixel across formats",
              ReadPixel(50, 30, 0));
        LockBuffer(source);
        LockBuffer(0);
        CopyPixelFast(1, 1, source, 52, 30, 0);
        UnlockBuffer(0);
        UnlockBuffer(source);
        check(RGB(ReadPixel(52, 30, 0)) == BLUE, "CopyPixelFast", ReadPixel(52, 30, 0));

        SetBuffer(source);
        FreeImage(image);
        check(GraphicsBuffer() == 0, "freeing the current image buffer leaves no current buffer", GraphicsBuffer());
        SetBuffer(back);
    }

    {
        /* 3x2: top row red, green, blue; bottom row white, black, grey. */
        int image = CreateImage(3, 2, 1, 2);
        int saved = ImageBuffer(image, 0), i, same = 1;
        int colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
        for (i = 0; i < 6; ++i) WritePixel(i % 3, i / 3, colours[i], saved);
        check(SaveBuffer(saved, text("screens_3x2.bmp")) == 1, "SaveBuffer", 0);
        check(FileSize(text("screens_3x2.bmp")) == 78, "a 3x2 BMP is 78 bytes", FileSize(text("screens_3x2.bmp")));
        check(SaveBuffer(saved, text("no_such_folder\\x.bmp")) == 0, "SaveBuffer into a missing folder", 1);
        int copy = CreateImage(3, 2, 1, 2);
        check(LoadBuffer(ImageBuffer(copy, 0), text("screens_3x2.bmp")) == 1, "LoadBuffer", 0);
        for (i = 0; i < 6; ++i) same &= RGB(ReadPixel(i % 3, i / 3, ImageBuffer(copy, 0))) == RGB(colours[i]);
        check(same, "reloads equal", ReadPixel(2, 1, ImageBuffer(copy, 0)));
        check(LoadBuffer(ImageBuffer(copy, 0), text("missing.bmp")) == 0, "LoadBuffer of a missing file", 1);
        int big = CreateImage(6, 4, 1, 2), bigBuffer = ImageBuffer(big, 0);
        check(LoadBuffer(bigBuffer, text("screens_3x2.bmp")) == 1, "LoadBuffer into a larger buffer", 0);
        /* Scaled by 2 with filtering: each pixel leans to the source pixel it lies on. */
        check((ReadPixel(1, 1, bigBuffer) & 0xFF0000) >= 0x800000 && (ReadPixel(1, 1, bigBuffer) & 0xFF) < 0x80,
              "scaled: red at the top left", ReadPixel(1, 1, bigBuffer));
        check((ReadPixel(4, 1, bigBuffer) & 0xFF) >= 0x80 && (ReadPixel(4, 1, bigBuffer) & 0xFF0000) < 0x800000,
              "scaled: blue at the top right", ReadPixel(4, 1, bigBuffer));
        FreeImage(big);
        FreeImage(copy);
        FreeImage(image);
    }

    SetGamma(10, 10, 266, 20, 20, 30);
    check(GammaRed(10) == 20 && GammaGreen(10) == 20 && GammaBlue(10) == 30 && GammaBlue(266) == 30 &&
              GammaGreen(11) == 11 && GammaRed(-246) == 20,
          "gamma table with indexes masked", GammaBlue(10));
    UpdateGamma(0);
    UpdateGamma(1);
    {
        /* Once the pointer rests (messages of the window's showing taken), two calls in a row give 0. */
        int tries, settled = 0;
        for (tries = 0; tries < 50 && !settled; ++tries) {
            MouseXSpeed(0);
            MouseYSpeed(0);
            settled = MouseXSpeed(0) == 0 && MouseYSpeed(0) == 0;
            if (!settled) Delay(20);
        }
        check(settled, "mouse speed without movement", MouseX(0));
    }
    VWait(0);
    check(ScanLine() >= 0 && TotalVidMem() >= AvailVidMem(), "video queries answer", ScanLine());

    /* The frame to photograph. */
    Cls();
    check(RGB(ReadPixel(33, 5, 0)) == GREEN && RGB(ReadPixel(63, 47, 0)) == GREEN, "Cls after all that",
          ReadPixel(33, 5, 0));
    Color(250, 0, 0);
    Rect(8, 8, 16, 8, 1);
    WritePixel(40, 20, 0xFF0000F8, 0);
    Color(0, 0, 248);
    Plot(50, 30); /* the last thing drawn before Flip is a plot */
    Flip(0);
    Delay(1500);

    EndGraphics();
    check(BackBuffer() == 0 && GraphicsBuffer() == 0, "EndGraphics leaves no buffer", GraphicsBuffer());
    Graphics(32, 32, 0, 2);
    check(GraphicsWidth() == 32 && BackBuffer() != 0, "a second screen", GraphicsWidth());
    Graphics(40, 30, 32, 2);
    check(GraphicsWidth() == 40, "Graphics ends the previous screen", GraphicsWidth());
    EndGraphics();
    EndGraphics();
    put(Print, "done");
}
