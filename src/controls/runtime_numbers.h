// The runtime's numeric rules the controls depend on: integer conversions that round halves to
// the even neighbour and fail outside their range, single-precision arithmetic that fails
// instead of producing infinities, and the runtime's error numbers for those failures.
#pragma once

#include <cstdint>

#include "platform/error.h"

namespace arkstash::controls {

inline constexpr long kErrOverflow = 6;
inline constexpr long kErrDivisionByZero = 11;
inline constexpr long kErrTypeMismatch = 13;
inline constexpr long kErrInvalidPropertyValue = 380;

// The runtime error with its standard description.
PlatformError runtimeError(long number, std::string source = {});

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double v);

// To a 16-bit integer (halves to even); Overflow outside -32768..32767 or for NaN.
std::int16_t toInteger(double v);
// To a 32-bit integer (halves to even); Overflow outside the 32-bit range or for NaN.
std::int32_t toLong(double v);
// To a single; Overflow when the value does not fit.
float toSingle(double v);

// a / b in single precision: Division by zero for x / 0, Overflow for 0 / 0 and for results
// beyond the single range.
float divideSingle(float a, float b);
// a * b in single precision: Overflow beyond the single range.
float multiplySingle(float a, float b);

}  // namespace arkstash::controls
