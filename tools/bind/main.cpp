// qxbind RUNTIME.EXE MODULE.QXM OUTPUT.EXE | --version
// Makes a stand-alone program from a module image.
#include <cstdio>
#include <cstring>

#include "QXVersion.h"
#include "tools/bind/Binder.h"

int main(int argc, char** argv) {
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf("qxbind %s\n", QX_VERSION);
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: qxbind runtime.exe module.qxm program.exe\n");
        return 2;
    }
    std::string error = bindProgram(argv[1], argv[2], argv[3]);
    if (!error.empty()) {
        std::fprintf(stderr, "qxbind: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
