// qxmbspy.dll: the runner hooks it into the program's main thread
// (WH_CALLWNDPROC), so it runs inside the program. When a message box
// initialises, it records the box's style word as a property of the box's
// window, where the runner, in its own process, reads it (GetPropA works
// across processes). Both Windows and Wine hand a message box's dialog
// procedure a block that begins with the MSGBOXPARAMSW it was given.
#include <windows.h>

#include "tools/run/QXMessageBoxSpy.h"

namespace {

bool readable(const void* address, SIZE_T size) {
    MEMORY_BASIC_INFORMATION region{};
    if (!address || !VirtualQuery(address, &region, sizeof region) || region.State != MEM_COMMIT) return false;
    if (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) return false;
    auto end = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    return static_cast<const char*>(address) + size <= end;
}

bool isDialog(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

void recordStyle(HWND dialog, LPARAM parameter) {
    const auto* params = reinterpret_cast<const MSGBOXPARAMSW*>(parameter);
    if (!isDialog(dialog) || !readable(params, sizeof *params) || params->cbSize != sizeof *params) return;
    // The text static of a message box; other dialogs have none.
    if (!GetDlgItem(dialog, kMessageBoxTextControl)) return;
    SetPropA(dialog, kMessageBoxStyleProperty,
             reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(params->dwStyle | kMessageBoxStyleTag)));
}

}  // namespace

// Wine loads a hook's library for each call and frees it after, unless the
// program holds it already: pinned at its first load, it stays, so that each
// message costs no load and unload.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCSTR>(instance), &self);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK qxMessageBoxSpy(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_INITDIALOG) recordStyle(message->hwnd, message->lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
