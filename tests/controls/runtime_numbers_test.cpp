#include "controls/runtime_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/property_bag.h"

using namespace arkstash;
using namespace arkstash::controls;

namespace {

long errorNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const PlatformError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(RuntimeNumbers, HalvesRoundToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
}

TEST(RuntimeNumbers, IntegerConversionsOverflowOutsideTheirRange) {
    EXPECT_EQ(toInteger(32767.4), 32767);
    EXPECT_EQ(toInteger(-32768.5), -32768);  // rounds to the even -32768, which fits
    EXPECT_EQ(errorNumber([] { toInteger(32767.5); }), kErrOverflow);
    EXPECT_EQ(errorNumber([] { toInteger(-32769); }), kErrOverflow);
    EXPECT_EQ(errorNumber([] { toInteger(std::nan("")); }), kErrOverflow);
    EXPECT_EQ(toLong(2147483647.0), 2147483647);
    EXPECT_EQ(errorNumber([] { toLong(2147483647.5); }), kErrOverflow);
    EXPECT_EQ(errorNumber([] { toLong(-1e12); }), kErrOverflow);
}

TEST(RuntimeNumbers, SingleArithmeticFailsInsteadOfGivingInfinity) {
    EXPECT_FLOAT_EQ(divideSingle(1, 4), 0.25f);
    EXPECT_EQ(errorNumber([] { divideSingle(1, 0); }), kErrDivisionByZero);
    EXPECT_EQ(errorNumber([] { divideSingle(0, 0); }), kErrOverflow);
    EXPECT_EQ(errorNumber([] { divideSingle(3e38f, 1e-3f); }), kErrOverflow);
    EXPECT_EQ(errorNumber([] { multiplySingle(3e38f, 100); }), kErrOverflow);
    EXPECT_EQ(errorNumber([] { toSingle(1e39); }), kErrOverflow);
    EXPECT_EQ(runtimeError(kErrDivisionByZero).description(), "Division by zero");
}

TEST(PropertyBagTypes, NumbersConvertLikeTheRuntimeAndOtherMismatchesFail) {
    EXPECT_EQ(convertProperty<bool>(PropertyValue(std::int16_t{-1})), true);
    EXPECT_EQ(convertProperty<bool>(PropertyValue(0.0f)), false);
    EXPECT_EQ(convertProperty<std::int16_t>(PropertyValue(true)), -1);
    EXPECT_EQ(convertProperty<std::int16_t>(PropertyValue(2.5f)), 2);
    EXPECT_EQ(convertProperty<float>(PropertyValue(std::int32_t{7})), 7.0f);
    // A negative long is a system colour's bit pattern.
    EXPECT_EQ(convertProperty<controls::Colour>(PropertyValue(std::int32_t{-2147483633})),
              0x8000000Fu);
    EXPECT_EQ(errorNumber([] { convertProperty<std::int16_t>(PropertyValue(40000.0f)); }),
              kErrOverflow);
    EXPECT_EQ(errorNumber([] { convertProperty<bool>(PropertyValue(std::string("True"))); }),
              kErrTypeMismatch);
    EXPECT_EQ(errorNumber([] { convertProperty<std::string>(PropertyValue(1.0f)); }),
              kErrTypeMismatch);
    EXPECT_EQ(errorNumber([] { convertProperty<StdFont>(PropertyValue(StdPicture{"x"})); }),
              kErrTypeMismatch);
}
