/* One fatal mistake per run, named on the command line; each must stop the
   program with its message, never crash. */
#include "qxprog.h"
#include "qxtest.h"

void qxmain(void) {
    QXString* line = CommandLine();
    int which = _qxStrToInt(line);
    _qxStrRelease(line);
    Print(text("start"));
    switch (which) {
    case 1: Graphics(640, 480, 16, 4); break;
    case 2: GfxModeWidth(0); break;
    case 3: GfxModeDepth(CountGfxModes() + 1); break;
    case 4: {
        int image = CreateImage(4, 4, 1, 2);
        LockedPitch(ImageBuffer(image, 0));
        break;
    }
    case 5: {
        /* The bank of a lock that has ended is empty: a peek is a range error. */
        int image = CreateImage(4, 4, 1, 2), buffer = ImageBuffer(image, 0);
        LockBuffer(buffer);
        int bank = LockedPixels(buffer);
        UnlockBuffer(buffer);
        PeekInt(bank, 0);
        break;
    }
    case 6: {
        int image = CreateImage(4, 4, 1, 2);
        ReadPixelFast(0, 0, ImageBuffer(image, 0));
        break;
    }
    case 7: SetGfxDriver(2); GraphicsWidth(); break;
    case 8: Graphics(32, 32, 0, 2); EndGraphics(); WritePixelFast(0, 0, 0, 0); break;
    case 9: Graphics(64, 48, 0, 2); break; /* run without ddraw.dll */
    }
    Print(text("not reached"));
}
