#pragma once
// Screens: what the program shows pixels on (the desktop, a full-screen
// display mode, a window), and the screen driver module (subsystem "Screen")
// that makes them, lists the display modes and answers the video queries.

#include <cstdint>
#include <vector>

#include "events/QXEventSource.h"
#include "graphics/QXGraphics.h"
#include "runtime/QXModule.h"

class QXString;

// Red, green and blue ramps of 256 16-bit entries; entry i starts as i × 257.
struct QXGammaTable {
    QXGammaTable();
    // Indexes are masked to 8 bits; values are 8-bit levels stored × 257.
    void set(int sourceRed, int sourceGreen, int sourceBlue, int red, int green, int blue);
    // The entry as an 8-bit level (÷ 257, truncated); the index is masked to 8 bits.
    static int level(const std::uint16_t (&ramp)[256], int index);

    std::uint16_t red[256];
    std::uint16_t green[256];
    std::uint16_t blue[256];
};

class QXScreen : public QXEventSource {
public:
    // Slots after QXObject's destructor, destroy and query; the order is
    // part of the drivers' contract.

    // The store the program draws on (not counted).
    virtual QXGraphics* graphics() = 0;
    // Shows what was drawn.
    virtual void flip(bool vwait) = 0;
    virtual void showPointer(bool show);
    virtual void moveMouse(int x, int y);
    virtual int mouseX();
    virtual int mouseY();
    virtual void makeCurrent();
    virtual void setTitle(QXString* title);
    virtual void setGamma(int sourceRed, int sourceGreen, int sourceBlue, int red, int green, int blue);
    virtual void getGamma(int red, int green, int blue, int& redLevel, int& greenLevel, int& blueLevel);
    // Hands the table to the display; nothing where the display has no ramp.
    virtual void updateGamma(bool calibrate);
    // False while the drawing surface is lost.
    virtual bool surfaceValid();

    // The pointer position remembered by the speed commands.
    int lastX = 0;
    int lastY = 0;
    // Whether the screen is a window (no exclusive display).
    bool windowed = false;
    QXGammaTable gamma;
};

// One entry of the display-mode list.
struct QXDisplayMode {
    int width;
    int height;
    int format;
};

// Screen flags after Graphics has translated its own: 8 page flipping, 4 a
// window, 32 flip by copying.
inline constexpr int kScreenFlipping = 8;
inline constexpr int kScreenWindowed = 4;
inline constexpr int kScreenCopyFlip = 32;

class QXScreenDriver : public QXModule {
public:
    using QXModule::QXModule;

    // A new screen (count 1), made current by the caller. Stops the program
    // with the driver's message when the display refuses.
    virtual QXScreen* openScreen(int width, int height, int format, int flags) = 0;
    // The desktop screen, owned by the driver; null where there is none.
    virtual QXScreen* desktopScreen() = 0;
    virtual void waitVerticalBlank(int frames);
    virtual int scanLine();
    virtual int availableVideoMemory();
    virtual int totalVideoMemory();

    // In the order the display reported them; a driver may list them on
    // first use (asking the display can cost much of a program's start).
    virtual const std::vector<QXDisplayMode>& displayModes() { return modes; }
    std::vector<QXDisplayMode> modes;
};

// The running screen driver, or null.
void setScreenDriver(QXScreenDriver* driver);
QXScreenDriver* screenDriver();

// The current screen (not counted); null when none is current.
void makeScreenCurrent(QXScreen* screen);
QXScreen* currentQXScreen();

// 16 for codes 1, 2, 5, 6; 24 for 3; 32 for 4 and 7; else 0.
int depthOfFormat(int format);
// Graphics' depth argument as a format code: 24 → 3, 32 → 4, else 1.
int formatOfDepth(int depth);
// Graphics' flags as screen flags (0 counts as 1); -1 for illegal flags.
int screenFlagsOf(int flags);
// Whether a mode matches every non-zero criterion.
bool modeMatches(const QXDisplayMode& mode, int width, int height, int depth, int format);

// A rectangle copy between two stores after clipping: every edge cut on one
// side moves the matching edge on the other. Empty when nothing is left.
struct QXCopyArea {
    int sourceX, sourceY, destinationX, destinationY, width, height;
};
QXCopyArea clipCopyArea(int sourceX, int sourceY, int width, int height, int destinationX, int destinationY,
                        int sourceWidth, int sourceHeight, int destinationWidth, int destinationHeight);
