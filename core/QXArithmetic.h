#pragma once
// The arithmetic operations compiled code does not inline, and the
// conversions they share with READ.

#include "runtime/QXRegistry.h"

// Truncates toward zero whatever the processor's rounding mode. NaN and
// values outside the 32-bit range give -2147483648, as the hardware's
// "integer indefinite" does.
int truncateToInt(double value);

int QXCALL _qxAbs(int value);
int QXCALL _qxSgn(int value);
int QXCALL _qxMod(int a, int b);
float QXCALL _qxFAbs(float value);
float QXCALL _qxFSgn(float value);
float QXCALL _qxFMod(float a, float b);
float QXCALL _qxFPow(float base, float exponent);
