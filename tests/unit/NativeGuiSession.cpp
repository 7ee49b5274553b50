#include "NativeGuiSession.h"

#include <windows.h>

#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "graphics/ddraw/Win32DDScreen.h"
#include "gui/win32/Win32GuiDriver.h"
#include "runtime/QXModule.h"

namespace {
void emptyThreadQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}
}  // namespace

testing::AssertionResult startNativeGui() {
    emptyThreadQueue();
    moduleList().selectDefaultConfigs();
    for (QXModule* module : {static_cast<QXModule*>(&theWin32EventDriver), static_cast<QXModule*>(&theWin32CatchFilter),
                             static_cast<QXModule*>(&theQueFilter), static_cast<QXModule*>(&theWin32GuiDriver)})
        if (!startModule(module)) return testing::AssertionFailure() << "a module of the GUI did not start";
    return testing::AssertionSuccess();
}

void stopNativeGui() {
    stopModule(&theWin32GuiDriver);
    stopModule(&theWin32DDScreenDriver);
    stopModule(&theQueFilter);
    stopModule(&theWin32CatchFilter);
    stopModule(&theWin32EventDriver);
    emptyThreadQueue();
    resetEventState();
}
