/* The start-up benchmark's yardstick: a plain Win32 program that opens one
   window, lets it be shown, and closes it. */
#include <windows.h>

static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    (void)commandLine;
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "PlainWindow";
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "plain", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, NULL, NULL,
                                  instance, NULL);
    if (!window) return 1;
    ShowWindow(window, show ? show : SW_SHOW);
    UpdateWindow(window);
    DestroyWindow(window);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
