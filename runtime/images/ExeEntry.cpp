// runtime.exe: the stand-alone program. Its entry routine _qxWinMain@0 starts
// the C runtime (static constructors: every module registers), whose WinMain
// loads, links and executes the module stored in resource 1111.
#include <windows.h>

#include "runtime/QXCommandLine.h"
#include "runtime/QXRegistry.h"
#include "runtime/QXRuntime.h"

extern "C" int WinMainCRTStartup();

namespace {
HMODULE programModule;
}

extern "C" __declspec(dllexport) void QXCALL _qxWinMain() {
    programModule = GetModuleHandleA(nullptr);
    // Initialises the C runtime, runs WinMain, then static destructors and ExitProcess(0).
    WinMainCRTStartup();
    ExitProcess(0);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Runtime* runtime = runtimeGetRuntime();
    runtime->startup(programModule);
    void* entry = loadModule();
    std::string arguments = programArguments(GetCommandLineA());
    runtime->execute(entry, arguments.c_str(), nullptr);
    runtime->shutdown();
    return 0;
}
