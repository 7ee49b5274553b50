#include "core/QXArithmetic.h"

#include <climits>
#include <cmath>

#include "runtime/QXError.h"
#include "runtime/QXFpu.h"

int truncateToInt(double value) {
    // The comparisons are false for NaN; the bounds are exact doubles.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
    return static_cast<int>(value);  // SSE2 conversion: always truncates
}

int QXCALL _qxAbs(int value) {
    // Negated in unsigned arithmetic: the most negative integer stays as it is.
    return value < 0 ? static_cast<int>(0u - static_cast<unsigned>(value)) : value;
}

int QXCALL _qxSgn(int value) { return (value > 0) - (value < 0); }

int QXCALL _qxMod(int a, int b) {
    // Both would fault in the processor's divide instruction.
    if (b == 0) runtimeError("Division by zero in Mod");
    if (a == INT_MIN && b == -1) runtimeError("Integer overflow in Mod");
    return a % b;
}

float QXCALL _qxFAbs(float value) { return std::fabs(value); }

float QXCALL _qxFSgn(float value) {
    if (value > 0) return 1.0f;
    if (value < 0) return -1.0f;
    return 0.0f;  // zero of either sign, and NaN
}

float QXCALL _qxFMod(float a, float b) {
    QXFpuPrecisionGuard guard;
    return static_cast<float>(std::fmod(static_cast<double>(a), static_cast<double>(b)));
}

float QXCALL _qxFPow(float base, float exponent) {
    QXFpuPrecisionGuard guard;
    return static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

namespace {

const QXSymbol entryPoints[] = {
    QX_COMMAND("_qxAbs", _qxAbs),   QX_COMMAND("_qxSgn", _qxSgn),   QX_COMMAND("_qxMod", _qxMod),
    QX_COMMAND("_qxFAbs", _qxFAbs), QX_COMMAND("_qxFSgn", _qxFSgn), QX_COMMAND("_qxFMod", _qxFMod),
    QX_COMMAND("_qxFPow", _qxFPow),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, entryPoints);

}  // namespace
