// The stand-alone program's debugger on Windows: a runtime error in a box.
#include "runtime/QXDebugger.h"

#include <windows.h>

#include <string>

#include "runtime/QXAppTitle.h"

void QXDefaultDebugger::debugError(const char* text, int) {
    std::string caption = appTitleText();
    MessageBoxA(GetActiveWindow(), text, caption.c_str(), MB_SETFOREGROUND | MB_TOPMOST);
}
