// The maths commands: trigonometry in degrees, roots, logarithms, rounding.
// Each computes in double precision and returns a float, which compiled code
// receives on the x87 stack. The C library may compute on the x87, which runs
// at 24-bit precision inside a program, so every library call is guarded.

#include <cmath>

#include "runtime/QXFpu.h"
#include "runtime/QXRegistry.h"

namespace {

// pi/180 and 180/pi as the language has always used them: rounded to floats.
constexpr float kRadiansPerDegree = 0.0174532924f;
constexpr float kDegreesPerRadian = 57.2957802f;

// The product of two floats is exact in double precision.
double radians(float degrees) { return static_cast<double>(degrees) * kRadiansPerDegree; }

template <class Fn> float guarded(Fn compute) {
    double result;
    {
        QXFpuPrecisionGuard guard;
        result = compute();
    }
    return static_cast<float>(result);
}

float QXCALL Sin(float degrees) {
    return guarded([=] { return std::sin(radians(degrees)); });
}
float QXCALL Cos(float degrees) {
    return guarded([=] { return std::cos(radians(degrees)); });
}
float QXCALL Tan(float degrees) {
    return guarded([=] { return std::tan(radians(degrees)); });
}
float QXCALL ASin(float value) {
    return guarded([=] { return std::asin(static_cast<double>(value)) * kDegreesPerRadian; });
}
float QXCALL ACos(float value) {
    return guarded([=] { return std::acos(static_cast<double>(value)) * kDegreesPerRadian; });
}
float QXCALL ATan(float value) {
    return guarded([=] { return std::atan(static_cast<double>(value)) * kDegreesPerRadian; });
}
// The angle of the point (x = b, y = a).
float QXCALL ATan2(float a, float b) {
    return guarded([=] { return std::atan2(static_cast<double>(a), static_cast<double>(b)) * kDegreesPerRadian; });
}
float QXCALL Sqr(float value) {
    return guarded([=] { return std::sqrt(static_cast<double>(value)); });
}
float QXCALL Floor(float value) {
    return guarded([=] { return std::floor(static_cast<double>(value)); });
}
float QXCALL Ceil(float value) {
    return guarded([=] { return std::ceil(static_cast<double>(value)); });
}
float QXCALL Exp(float value) {
    return guarded([=] { return std::exp(static_cast<double>(value)); });
}
float QXCALL Log(float value) {
    return guarded([=] { return std::log(static_cast<double>(value)); });
}
float QXCALL Log10(float value) {
    return guarded([=] { return std::log10(static_cast<double>(value)); });
}

const QXSymbol commands[] = {
    QX_COMMAND("#Sin#degrees", Sin),
    QX_COMMAND("#Cos#degrees", Cos),
    QX_COMMAND("#Tan#degrees", Tan),
    QX_COMMAND("#ASin#float", ASin),
    QX_COMMAND("#ACos#float", ACos),
    QX_COMMAND("#ATan#float", ATan),
    QX_COMMAND("#ATan2#floata#floatb", ATan2),
    QX_COMMAND("#Sqr#float", Sqr),
    QX_COMMAND("#Floor#float", Floor),
    QX_COMMAND("#Ceil#float", Ceil),
    QX_COMMAND("#Exp#float", Exp),
    QX_COMMAND("#Log#float", Log),
    QX_COMMAND("#Log10#float", Log10),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
