// Events through the whole chain: Windows messages posted to a hidden window,
// turned into events by its window procedure inside the pump, filtered,
// queued and taken with WaitEvent. Also the storing filter and queue alone,
// and the cost of one pump round trip (WaitEvent(0) with nothing queued).

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <deque>

#include "events/QXEventDriver.h"
#include "events/QXEventFilter.h"
#include "events/QXEventSource.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "bench/BenchSupport.h"
#include "runtime/QXRegistry.h"

namespace {
constexpr UINT kRaiseMessage = WM_APP + 1;

QXEventSource* windowSource = nullptr;

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRaiseMessage) {
        windowSource->emit(0x401, static_cast<int>(wParam), 0, 0, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The baseline window: counts the messages it receives, nothing more.
int rawReceived = 0;
LRESULT CALLBACK rawWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRaiseMessage) {
        rawReceived += static_cast<int>(wParam) >= 0;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND createRawWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = rawWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QXEventBenchRaw";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

HWND createWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QXEventBench";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    auto waitEvent = commandAt<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");

    // The storing filter and the queue alone (no driver, no pump).
    constexpr int kDirect = 5000000;
    auto start = std::chrono::steady_clock::now();
    long long sum = 0;
    for (int i = 0; i < kDirect; ++i) {
        postEvent(0x401, i, 0, 0, 0, 0);
        QXEvent event;
        takeEvent(&event, 0, true);
        sum += event.data;
    }
    double direct = secondsSince(start);

    // Baselines measured in this process: a plain deque of events, and the
    // bare Windows message loop over the same posts.
    start = std::chrono::steady_clock::now();
    std::deque<QXEvent> plainQueue;
    long long plainSum = 0;
    for (int i = 0; i < kDirect; ++i) {
        plainQueue.push_back(QXEvent{0x401, i, 0, 0, 0, 0});
        plainSum += plainQueue.front().data;
        plainQueue.pop_front();
    }
    double plainDirect = secondsSince(start);

    startModule(&theWin32EventDriver);
    startModule(&theWin32CatchFilter);
    startModule(&theQueFilter);
    windowSource = new QXEventSource;
    HWND window = createWindow();

    // Whole chain: batches stay well below the Windows posted-message limit.
    constexpr int kBatch = 200;
    constexpr int kBatches = 1000;
    int taken = 0;
    start = std::chrono::steady_clock::now();
    for (int batch = 0; batch < kBatches; ++batch) {
        for (int i = 0; i < kBatch; ++i) PostMessageA(window, kRaiseMessage, static_cast<WPARAM>(i), 0);
        for (int i = 0; i < kBatch; ++i) taken += waitEvent(-1) == 0x401;
    }
    double chain = secondsSince(start);

    HWND rawWindow = createRawWindow();
    start = std::chrono::steady_clock::now();
    for (int batch = 0; batch < kBatches; ++batch) {
        for (int i = 0; i < kBatch; ++i) PostMessageA(rawWindow, kRaiseMessage, static_cast<WPARAM>(i), 0);
        MSG message;
        for (int i = 0; i < kBatch && GetMessageA(&message, nullptr, 0, 0) > 0; ++i) DispatchMessageA(&message);
    }
    double rawChain = secondsSince(start);

    // Pump round trip with nothing to do.
    constexpr int kPolls = 200000;
    int empty = 0;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPolls; ++i) empty += waitEvent(0) == 0;
    double polls = secondsSince(start);

    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPolls; ++i) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    double rawPolls = secondsSince(start);
    DestroyWindow(rawWindow);

    DestroyWindow(window);
    release(windowSource);
    stopModule(&theQueFilter);
    stopModule(&theWin32CatchFilter);
    stopModule(&theWin32EventDriver);

    std::printf("filter and queue alone: %.0f ns per post and take; a std::deque of events %.0f ns "
                "(checksums %lld, %lld)\n",
                direct / kDirect * 1e9, plainDirect / kDirect * 1e9, sum, plainSum);
    costFigure("filter and queue alone", direct, plainDirect, "std::deque of events", 0, sum == plainSum);
    std::printf("whole chain (PostMessage, pump, window procedure, filters, WaitEvent): %.2f us per event; "
                "bare PostMessage/GetMessage/DispatchMessage %.2f us: ratio %.2f (%d of %d taken, %d raw)\n",
                chain / taken * 1e6, rawChain / (kBatch * kBatches) * 1e6, chain / taken / (rawChain / (kBatch * kBatches)),
                taken, kBatch * kBatches, rawReceived);
    costFigure("whole event chain", chain / taken, rawChain / (kBatch * kBatches), "PostMessage/GetMessage loop", 1.5,
               taken == kBatch * kBatches && rawReceived == kBatch * kBatches);
    std::printf("WaitEvent(0) with nothing queued: %.2f us per call; bare PeekMessage loop %.2f us: ratio %.2f "
                "(%d of %d returned 0)\n",
                polls / kPolls * 1e6, rawPolls / kPolls * 1e6, polls / rawPolls, empty, kPolls);
    costFigure("WaitEvent(0), nothing queued", polls, rawPolls, "PeekMessage loop", 0, empty == kPolls);
    return benchStatus();
}
