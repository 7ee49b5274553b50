#include "runtime/QXAppTitle.h"

#include <windows.h>

std::string runningProgramPath() {
    char path[256] = {};
    GetModuleFileNameA(nullptr, path, 255);
    return path;
}
