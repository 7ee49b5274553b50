#pragma once
// A shared library opened at its first use rather than when the host
// starts. SDL2, FreeType and libmpg123 bring some fifty libraries with them;
// loaded with the host, they made every program's start-up several times
// longer, whether it drew, wrote text or played sound or not.
//
// QX_LINUX_LAZY defines one of the library's functions, with the signature
// its header declares, as a call through the library, opened and looked up
// on the first call; `fallback` when either cannot be had. Each library's
// first call (SDL_InitSubSystem, FT_Init_FreeType, mpg123_init) fails that
// way, so the rest are never reached without it.

#include <dlfcn.h>

#include <mutex>

class LinuxLibrary {
public:
    explicit LinuxLibrary(const char* soname) : soname_(soname) {}
    LinuxLibrary(const LinuxLibrary&) = delete;
    LinuxLibrary& operator=(const LinuxLibrary&) = delete;

    // The library's function `name`, or null when the library or the function is missing.
    void* symbol(const char* name) {
        std::call_once(opened_, [this] { handle_ = dlopen(soname_, RTLD_NOW | RTLD_LOCAL); });
        return handle_ ? dlsym(handle_, name) : nullptr;
    }
    const char* soname() const { return soname_; }

private:
    const char* soname_;
    std::once_flag opened_;
    void* handle_ = nullptr;
};

#define QX_LINUX_LAZY(library, result, name, params, args, fallback)                              \
    extern "C" result name params {                                                               \
        static const auto real = reinterpret_cast<decltype(&name)>((library).symbol(#name));      \
        if (!real) return fallback;                                                               \
        return real args;                                                                         \
    }
