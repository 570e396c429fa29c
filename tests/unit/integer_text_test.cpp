#include <gtest/gtest.h>

#include "platform/base/IntegerText.h"

using tessavo::platform::parseInteger;

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> value;
};

class IntegerTextTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerTextTest, ReadsTheWholeText) {
    const IntegerCase& c = GetParam();
    EXPECT_EQ(parseInteger(c.text), c.value) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegerTextTest,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"1", 1}, IntegerCase{"  42", 42}, IntegerCase{"-1", -1},
                      IntegerCase{"+7", 7}, IntegerCase{"$10", 16}, IntegerCase{"0x1f", 31}, IntegerCase{"0X1F", 31},
                      IntegerCase{"x10", 16}, IntegerCase{"X10", 16}, IntegerCase{"-$10", -16},
                      IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", INT32_MIN}, IntegerCase{"2147483648", std::nullopt},
                      IntegerCase{"$100000000", std::nullopt}, IntegerCase{"", std::nullopt},
                      IntegerCase{" ", std::nullopt}, IntegerCase{"-", std::nullopt}, IntegerCase{"$", std::nullopt},
                      IntegerCase{"12 ", std::nullopt}, IntegerCase{"1a", std::nullopt},
                      IntegerCase{"0x", std::nullopt}, IntegerCase{"\t1", std::nullopt},
                      IntegerCase{"--1", std::nullopt}, IntegerCase{"$g", std::nullopt}));
