#include "controls/runtime_numbers.h"

#include <cmath>
#include <limits>

namespace arkstash::controls {

PlatformError runtimeError(long number, std::string source) {
    const char* text = "Application-defined or object-defined error";
    switch (number) {
        case kErrOverflow:
            text = "Overflow";
            break;
        case kErrDivisionByZero:
            text = "Division by zero";
            break;
        case kErrTypeMismatch:
            text = "Type mismatch";
            break;
        case kErrInvalidPropertyValue:
            text = "Invalid property value";
            break;
        default:
            break;
    }
    return PlatformError(text, number, std::move(source));
}

double roundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    double lower = std::floor(v);
    double diff = v - lower;
    if (diff > 0.5) return lower + 1;
    if (diff < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

std::int16_t toInteger(double v) {
    double r = roundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0)) throw runtimeError(kErrOverflow);
    return static_cast<std::int16_t>(r);
}

std::int32_t toLong(double v) {
    double r = roundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw runtimeError(kErrOverflow);
    return static_cast<std::int32_t>(r);
}

float toSingle(double v) {
    if (std::isnan(v)) throw runtimeError(kErrOverflow);
    if (std::isinf(v)) throw runtimeError(kErrOverflow);
    if (std::fabs(v) > std::numeric_limits<float>::max()) throw runtimeError(kErrOverflow);
    return static_cast<float>(v);
}

float divideSingle(float a, float b) {
    if (b == 0) throw runtimeError(a == 0 ? kErrOverflow : kErrDivisionByZero);
    float r = a / b;
    if (!std::isfinite(r)) throw runtimeError(kErrOverflow);
    return r;
}

float multiplySingle(float a, float b) {
    float r = a * b;
    if (!std::isfinite(r)) throw runtimeError(kErrOverflow);
    return r;
}

}  // namespace arkstash::controls
