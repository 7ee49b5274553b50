// qxlinux: the native Linux host. Runs a compiled module, given as a module
// image (.qxm) or as a program bound for Windows (its raw data resource 1111),
// inside this process:
//
//     qxlinux FILE [ARGUMENTS...]
//
// The arguments, each after a blank, are the program's command line, as for
// a Windows program started with its name in quotes. A module
// that cannot be linked is reported on standard error with exit code 255 (the
// Windows program's -1).
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/QXCommandLine.h"
#include "runtime/QXPeResource.h"
#include "runtime/QXRuntime.h"

namespace {
constexpr std::uint32_t kModuleResourceId = 1111;
constexpr int kLoaderFailure = 255;

int loaderFailure(const std::string& message) {
    std::fprintf(stderr, "Unable to run Quelt Basic module: %s\n", message.c_str());
    return kLoaderFailure;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qxlinux FILE [ARGUMENTS...]\n");
        return 2;
    }
    // One read of the whole file: a bound program is megabytes of runtime.
    std::vector<unsigned char> bytes;
    {
        struct stat info {};
        if (stat(argv[1], &info) != 0) return loaderFailure(std::string("Can't open ") + argv[1]);
        if (!S_ISREG(info.st_mode) || info.st_size > 0x7FFFFFFF) return loaderFailure(std::string("Can't read ") + argv[1]);
        std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
        const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
        if (size < 0) return loaderFailure(std::string("Can't open ") + argv[1]);
        bytes.resize(static_cast<std::size_t>(size));
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return loaderFailure(std::string("Can't read ") + argv[1]);
    }
    const unsigned char* image = bytes.data();
    std::size_t size = bytes.size();
    if (size >= 2 && bytes[0] == 'M' && bytes[1] == 'Z') {
        QXPeResource module = findPeResource(image, size, kPeRawDataType, kModuleResourceId);
        if (!module.ok()) return loaderFailure(module.error);
        image = module.data;
        size = module.size;
    }

    // The command line a Windows program is started with (its quoted name,
    // then the arguments, each after a blank) read the same way, so that
    // CommandLine gives the same text on both systems.
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    for (int i = 2; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    const std::string arguments = programArguments(commandLine.c_str());
    setProgramFile(argv[1]);
    // A peer or child that went away shows as a failed write, not a signal.
    signal(SIGPIPE, SIG_IGN);

    Runtime* runtime = runtimeGetRuntime();
    runtime->startup(nullptr);
    std::string error;
    void* entry = linkModuleBytes(image, size, error);
    if (!entry) return loaderFailure(error);
    runtime->execute(entry, arguments.c_str(), nullptr);
    runtime->shutdown();
    std::fflush(stdout);
    return 0;
}
