// qxpack [--entry NAME | --no-entry] [--list] -o MODULE.qxm OBJECT.o... | --version
// Packs i386 COFF objects (from i686-w64-mingw32-gcc -c) into a module image.
// By default the image starts with a jump to _qxmain, the C function qxmain().

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>

#include "Packer.h"
#include "QXVersion.h"

namespace {
void list(const ModuleImage& image) {
    std::printf("code %zu bytes\n", image.code.size());
    for (const auto& s : image.symbols) std::printf("symbol   %08x %s\n", s.offset, s.name.c_str());
    for (const auto& r : image.relative) std::printf("relative %08x %s\n", r.offset, r.name.c_str());
    for (const auto& r : image.absolute) std::printf("absolute %08x %s\n", r.offset, r.name.c_str());
}
}  // namespace

int main(int argc, char** argv) {
    PackOptions options;
    std::string output;
    bool listing = false;
    std::vector<std::string> inputs;
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf("qxpack %s\n", QX_VERSION);
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-o") && i + 1 < argc) output = argv[++i];
        else if (!std::strcmp(argv[i], "--entry") && i + 1 < argc) options.entry = argv[++i];
        else if (!std::strcmp(argv[i], "--no-entry")) options.entry.clear();
        else if (!std::strcmp(argv[i], "--list")) listing = true;
        else inputs.push_back(argv[i]);
    }
    if (output.empty() || inputs.empty()) {
        std::fprintf(stderr, "usage: qxpack [--entry NAME | --no-entry] [--list] -o module.qxm object.o...\n");
        return 2;
    }
    try {
        std::vector<CoffObject> objects;
        for (const auto& file : inputs) objects.push_back(readCoffObject(file));
        ModuleImage image = packObjects(objects, options);
        if (listing) list(image);
        std::vector<std::uint8_t> bytes = image.serialise();
        std::ofstream out(output, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + output);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qxpack: %s\n", e.what());
        std::remove(output.c_str());
        return 1;
    }
    return 0;
}
