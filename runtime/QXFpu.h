#pragma once
// Compiled code runs with the x87 unit at 24-bit precision. Runtime code is
// built for SSE2, but C-library routines may still compute on the x87; wrap
// calls to them in this guard so they see 64-bit precision.

#include <cfloat>

#if defined(_WIN32)
class QXFpuPrecisionGuard {
public:
    QXFpuPrecisionGuard() : saved_(_controlfp(0, 0)) { _controlfp(_PC_64, _MCW_PC); }
    ~QXFpuPrecisionGuard() { _controlfp(saved_, _MCW_PC); }
    QXFpuPrecisionGuard(const QXFpuPrecisionGuard&) = delete;
    QXFpuPrecisionGuard& operator=(const QXFpuPrecisionGuard&) = delete;

private:
    unsigned saved_;
};
#else
// Native builds compute on SSE only: nothing to adjust.
class QXFpuPrecisionGuard {
public:
    QXFpuPrecisionGuard() {}
};
#endif
