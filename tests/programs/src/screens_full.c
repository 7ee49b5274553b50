/* Screens as the display shows them, under the driver named on the command
   line (1 Native, 2 OpenGL, 3 DirectDraw), followed by the full-screen size
   and depth: "3 640 480 32". Reads the display through GDI (GetPixel on the
   screen's device context), so it must be alone on the display. Prints:
     full <flags> <w>x<h> drawn <d> shown <s> swapped <p>
       for flags 1 (page flipping) and 3 (flip by copying): the frame read
       back before Flip (d), the display showing it after Flip (s: 2 for
       both frames), and
       whether the back buffer then held the frame shown before (p: 1 for a
       real flip, 0 for a copy, which leaves the new frame in place)
     restored <iconic> <shown>
       a windowed screen minimised and restored shows its frame again
     desktop <matches> of <count>
       DesktopBuffer pixels equal to the display's (DirectDraw only)
     texture <wider than the limit> <pixels right>
       under OpenGL, an image wider than GL_MAX_TEXTURE_SIZE drawn and read back */
#include "qxprog.h"
#include "qxtest.h"

#define RGB(c) ((c) & 0xFFFFFF)
#define WINAPI __attribute__((stdcall))
#define RED 0xFA0000
#define GREEN 0x00C800
#define BLUE 0x0000F0

typedef struct {
    int x, y;
} Point;

static void*(WINAPI* getDC)(void*);
static int(WINAPI* releaseDC)(void*, void*);
static void*(WINAPI* getActiveWindow)(void);
static int(WINAPI* showWindow)(void*, int);
static int(WINAPI* isIconic)(void*);
static int(WINAPI* clientToScreen)(void*, Point*);
static unsigned(WINAPI* getPixel)(void*, int, int);
static void(WINAPI* glGetIntegerv)(unsigned, int*);
static struct __attribute__((packed)) {
    char user32[sizeof "user32.dll"];
    char n1[sizeof "GetDC"]; void* s1;
    char n2[sizeof "ReleaseDC"]; void* s2;
    char n3[sizeof "GetActiveWindow"]; void* s3;
    char n4[sizeof "ShowWindow"]; void* s4;
    char n5[sizeof "IsIconic"]; void* s5;
    char n6[sizeof "ClientToScreen"]; void* s6;
    char userEnd;
    char gdi32[sizeof "gdi32.dll"];
    char n7[sizeof "GetPixel"]; void* s7;
    char gdiEnd;
    char opengl32[sizeof "opengl32.dll"];
    char n8[sizeof "glGetIntegerv"]; void* s8;
    char glEnd;
    char tableEnd;
} libs = {"user32.dll", "GetDC", &getDC, "ReleaseDC", &releaseDC, "GetActiveWindow", &getActiveWindow,
          "ShowWindow", &showWindow, "IsIconic", &isIconic, "ClientToScreen", &clientToScreen, 0,
          "gdi32.dll", "GetPixel", &getPixel, 0, "opengl32.dll", "glGetIntegerv", &glGetIntegerv, 0, 0};
static void* constants[] = {0};

/* The display's pixel as 0xRRGGBB (GDI gives 0xBBGGRR). */
static int shown(int x, int y) {
    void* dc = getDC(0);
    unsigned c = getPixel(dc, x, y);
    releaseDC(0, dc);
    return (int)(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}

static void fillWith(int colour) {
    ClsColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    Cls();
}

static void pump(void) {
    int i;
    for (i = 0; i < 5; ++i) WaitEvent(20);
}

static void full(int width, int height, int depth, int flags) {
    Graphics(width, height, depth, flags);
    fillWith(RED);
    int drawn = RGB(ReadPixel(width / 2, height / 2, 0)) == RED;
    /* Frames drawn into a window's DC reach X when the thread next waits. */
    Flip(0);
    pump();
    int onScreen = shown(width / 2, height / 2) == RED;
    fillWith(GREEN);
    Flip(0);
    pump();
    onScreen += shown(width / 2, height / 2) == GREEN;
    int swapped = RGB(ReadPixel(width / 2, height / 2, 0)) == RED;
    put(Write, "full ");
    number(flags);
    put(Write, " ");
    number(GraphicsWidth());
    put(Write, "x");
    number(GraphicsHeight());
    put(Write, " drawn ");
    number(drawn);
    put(Write, " shown ");
    number(onScreen);
    put(Write, " swapped ");
    number(swapped);
    put(Print, "");
    EndGraphics();
}

static void minimiseAndRestore(int driver) {
    Graphics(64, 48, 0, 2);
    fillWith(BLUE);
    Flip(0);
    pump();
    void* window = getActiveWindow();
    Point centre = {32, 24};
    clientToScreen(window, &centre);
    showWindow(window, 6 /* SW_MINIMIZE */);
    pump();
    int iconic = isIconic(window) != 0;
    showWindow(window, 9 /* SW_RESTORE */);
    pump();
    put(Write, "restored ");
    number(iconic);
    put(Write, " ");
    number(shown(centre.x, centre.y) == BLUE);
    put(Print, "");

    if (driver == 3) {
        /* The desktop read back where the window shows and around it. The
           other families' desktop buffers are stores of their own. */
        int desktop = DesktopBuffer();
        int matches = 0, count = 0, dx, dy;
        for (dy = -40; dy <= 40; dy += 10)
            for (dx = -40; dx <= 40; dx += 10) {
                int x = centre.x + dx, y = centre.y + dy;
                matches += RGB(ReadPixel(x, y, desktop)) == shown(x, y);
                ++count;
            }
        put(Write, "desktop ");
        number(matches);
        put(Write, " of ");
        number(count);
        put(Print, "");
    }
    EndGraphics();
}

/* An image wider than the largest texture: its columns past the limit are
   green, the others red; drawn so that the boundary falls at x 32. */
static void wideImage(void) {
    Graphics(64, 16, 0, 2);
    int limit = 0;
    glGetIntegerv(0x0D33 /* GL_MAX_TEXTURE_SIZE */, &limit);
    int width = limit + 40;
    int image = CreateImage(width, 8, 1, 2);
    SetBuffer(ImageBuffer(image, 0));
    Color(250, 0, 0);
    Rect(0, 0, width, 8, 1);
    Color(0, 200, 0);
    Rect(limit, 0, 40, 8, 1);
    SetBuffer(BackBuffer());
    fillWith(BLUE);
    DrawBlock(image, 32 - limit, 4, 0);
    int right = 0, x, y;
    for (y = 0; y < 16; ++y)
        for (x = 0; x < 64; ++x) {
            int want = y < 4 || y >= 12 ? BLUE : x < 32 ? RED : GREEN;
            right += RGB(ReadPixel(x, y, 0)) == want;
        }
    put(Write, "texture ");
    number(limit > 0 && width > limit);
    put(Write, " ");
    number(right);
    put(Print, "");
    FreeImage(image);
    EndGraphics();
}

static int argument(QXString* line, int index) {
    QXString* space = text(" ");
    QXString* rest = Trim(line);
    int i;
    for (i = 0; i < index; ++i) {
        int at = Instr(rest, space, 1);
        QXString* next = at ? Mid(rest, at + 1, -1) : text("");
        _qxStrRelease(rest);
        rest = next;
    }
    int value = _qxStrToInt(rest);
    _qxStrRelease(rest);
    _qxStrRelease(space);
    return value;
}

void qxmain(void) {
    _qxInitCStrs(constants);
    _qxLoadLibs(&libs);
    QXString* line = CommandLine();
    int driver = argument(line, 0);
    int width = argument(line, 1), height = argument(line, 2), depth = argument(line, 3);
    _qxStrRelease(line);
    SetGfxDriver(driver);
    full(width, height, depth, 1);
    full(width, height, depth, 3);
    minimiseAndRestore(driver);
    if (driver == 2) wideImage();
}
