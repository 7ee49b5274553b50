#pragma once
// The thread messages (no window) that reach the program thread, owned by the
// event layer: a debugging host's requests and the timers' ticks. The event
// pump turns each into its event.

#include <windows.h>

constexpr UINT kDebugStopMessage = WM_USER + 1;      // 0x401
constexpr UINT kDebugContinueMessage = WM_USER + 2;  // 0x402
constexpr UINT kDebugEndMessage = WM_USER + 3;       // 0x403
// wParam: the timer's new tick count; lParam: the timer's id in sourceIds().
constexpr UINT kTimerTickMessage = WM_USER + 4;      // 0x404
