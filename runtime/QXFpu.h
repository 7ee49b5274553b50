#pragma once
// Compiled code runs with the x87 unit at 24-bit precision. Runtime code is
// built for SSE2, but C-library routines may still compute on the x87; wrap
// calls to them in this guard so they see 64-bit precision.

#include <cfloat>

// execute sets the x87 unit for compiled code (24-bit precision, every
// exception masked, rounding to nearest) and restores it once the program ends.
void setProgramFpuControl();
void restoreRuntimeFpuControl();

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
#elif defined(__i386__) && defined(__linux__)
// glibc's i386 maths computes on the x87 too.
#include <fpu_control.h>

class QXFpuPrecisionGuard {
public:
    QXFpuPrecisionGuard() {
        _FPU_GETCW(saved_);
        fpu_control_t extended = static_cast<fpu_control_t>((saved_ & ~_FPU_EXTENDED) | _FPU_EXTENDED);
        _FPU_SETCW(extended);
    }
    ~QXFpuPrecisionGuard() { _FPU_SETCW(saved_); }
    QXFpuPrecisionGuard(const QXFpuPrecisionGuard&) = delete;
    QXFpuPrecisionGuard& operator=(const QXFpuPrecisionGuard&) = delete;

private:
    fpu_control_t saved_;
};
#else
// Native builds compute on SSE only: nothing to adjust.
class QXFpuPrecisionGuard {
public:
    QXFpuPrecisionGuard() {}
};
#endif
