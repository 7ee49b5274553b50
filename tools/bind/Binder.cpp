#include "tools/bind/Binder.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {
constexpr WORD kModuleResourceId = 1111;
}

std::string bindProgram(const std::string& runtimeExe, const std::string& imageFile, const std::string& output) {
    std::ifstream in(imageFile, std::ios::binary);
    if (!in) return "cannot read " + imageFile;
    std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    if (!CopyFileA(runtimeExe.c_str(), output.c_str(), FALSE)) return "cannot copy " + runtimeExe + " to " + output;
    HANDLE update = BeginUpdateResourceA(output.c_str(), FALSE);
    if (!update) return "cannot open " + output + " for resource update";
    if (!UpdateResourceA(update, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(kModuleResourceId),
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), image.data(), static_cast<DWORD>(image.size()))) {
        EndUpdateResourceA(update, TRUE);
        return "cannot add the module resource";
    }
    if (!EndUpdateResourceA(update, FALSE)) return "cannot write " + output;
    return {};
}
