// Gadgets: relayout of many children when their window changes size (on the
// logging test driver, logging off) against a plain loop computing the same
// rectangles; and mouse moves posted to a sensitive native panel and taken
// with WaitEvent against a bare PeekMessage/DispatchMessage loop. Both as
// ratios measured in this one process.

#include <windows.h>

#include <cstdio>
#include <vector>

#include "GuiTestDriver.h"
#include "core/QXString.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "gui/QXLayout.h"
#include "gui/win32/Win32Gadgets.h"
#include "gui/win32/Win32GuiDriver.h"
#include "bench/BenchSupport.h"
#include "runtime/QXModule.h"
#include "runtime/QXRegistry.h"

namespace {
using Create7 = int(QXCALL*)(QXString*, int, int, int, int, int, int);
using Create6 = int(QXCALL*)(int, int, int, int, int, int);

double relayoutRatio() {
    auto createWindow = commandAt<Create7>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    auto createLabel = commandAt<Create7>("%CreateLabel$text%x%y%width%height%group%style=0");
    auto setShape = commandAt<void(QXCALL*)(int, int, int, int, int)>("SetGadgetShape%gadget%x%y%width%height");
    auto setLayout = commandAt<void(QXCALL*)(int, int, int, int, int)>("SetGadgetLayout%gadget%left%right%top%bottom");
    auto freeGadget = commandAt<void(QXCALL*)(int)>("FreeGadget%gadget");

    GuiTestDriver driver;
    driver.logging = false;
    driver.start();
    QXString* text = newString("x");
    constexpr int kChildren = 1000, kRounds = 200;
    const int window = createWindow(text, 0, 0, 1008, 830, 0, 15);
    std::vector<QXLayoutRules> rules(kChildren);
    std::vector<QXShape> shapes(kChildren);
    std::vector<int> children(kChildren);
    for (int i = 0; i < kChildren; ++i) {
        const int child = createLabel(text, i % 40 * 25, i / 40 * 30, 20, 25, window, 0);
        children[i] = child;
        setLayout(child, i % 3, (i / 3) % 3, i % 2, 2);
        rules[i].reference = {i % 40 * 25, i / 40 * 30, 20, 25};
        rules[i].referenceClientWidth = 1000;
        rules[i].referenceClientHeight = 800;
        rules[i].left = i % 3;
        rules[i].right = (i / 3) % 3;
        rules[i].top = i % 2;
        rules[i].bottom = 2;
        shapes[i] = rules[i].reference;
    }

    double start = now();
    for (int round = 0; round < kRounds; ++round) setShape(window, 0, 0, 1008 + round % 50 + 1, 830 + round % 30 + 1);
    const double gadgets = now() - start;

    long long checksum = 0;
    start = now();
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kChildren; ++i) {
            shapes[i] = layoutShape(rules[i], shapes[i], 1000 + round % 50 + 1, 800 + round % 30 + 1);
            checksum += shapes[i].x;
        }
    }
    const double plain = now() - start;
    // Every child ends where the plain loop put it.
    int differ = 0;
    for (int i = 0; i < kChildren; ++i) {
        const QXShape at = reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(children[i]))->shape();
        differ += at.x != shapes[i].x || at.y != shapes[i].y || at.width != shapes[i].width ||
                  at.height != shapes[i].height;
    }

    freeGadget(window);
    release(text);
    driver.stop();
    std::printf("relayout of %d children: %.1f us per resize through SetGadgetShape, %.1f us in a plain loop "
                "(checksum %lld, %d differ)\n",
                kChildren, gadgets / kRounds * 1e6, plain / kRounds * 1e6, checksum, differ);
    costFigure("relayout of 1,000 children", gadgets, plain, "layoutShape in a plain loop", 0, differ == 0);
    return gadgets / plain;
}

LRESULT CALLBACK bareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

double mouseMoveRatio() {
    startModule(&theWin32EventDriver);
    startModule(&theWin32CatchFilter);
    startModule(&theQueFilter);
    startModule(&theWin32GuiDriver);
    auto createWindow = commandAt<Create7>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    auto createPanel = commandAt<Create6>("%CreatePanel%x%y%width%height%group%style=0");
    auto waitEvent = commandAt<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    QXString* text = newString("bench");
    const int window = createWindow(text, 0, 0, 300, 300, 0, 1);
    auto* panel = reinterpret_cast<Win32Panel*>(createPanel(0, 0, 200, 200, window, 0));
    panel->control().setSensitivity(kSenseKeysAndButtons | kSenseMotion, panel);
    HWND target = panel->control().hwnd();

    constexpr int kMoves = 20000;
    int moves = 0;
    double start = now();
    for (int i = 0; i < kMoves; ++i) {
        PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(1 + i % 100, 1 + i % 77));  // always a new place
        // Enter and leave events may come between the moves.
        while (waitEvent(-1) != 0x203) {}
        ++moves;
    }
    const double events = now() - start;

    WNDCLASSA wc{};
    wc.lpfnWndProc = bareProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QXBareBench";
    RegisterClassA(&wc);
    HWND bare = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
    int dispatched = 0;
    start = now();
    for (int i = 0; i < kMoves; ++i) {
        PostMessageA(bare, WM_MOUSEMOVE, 0, MAKELPARAM(1 + i % 100, 1 + i % 77));
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            ++dispatched;
        }
    }
    const double baseline = now() - start;
    DestroyWindow(bare);
    release(text);
    stopModule(&theWin32GuiDriver);
    stopModule(&theQueFilter);
    stopModule(&theWin32CatchFilter);
    stopModule(&theWin32EventDriver);
    std::printf("mouse moves: %.2f us per event through WaitEvent, %.2f us per message in a bare loop "
                "(%d moves, %d messages)\n",
                events / kMoves * 1e6, baseline / kMoves * 1e6, moves, dispatched);
    costFigure("mouse move events", events, baseline, "PeekMessage/DispatchMessage loop", 0,
               moves == kMoves && dispatched >= kMoves);
    return events / baseline;
}
}  // namespace

int main() {
    // As a program starts: every driver subsystem has its default configuration
    // (the GUI driver starts the screen's).
    moduleList().selectDefaultConfigs();
    relayoutRatio();
    mouseMoveRatio();
    return benchStatus();
}
