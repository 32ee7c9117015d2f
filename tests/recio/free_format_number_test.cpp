// The numbers of free-format input, value text by value text.
#include "recio/free_format_number.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

namespace {

using recio::convert_free_format_real;
using recio::NumberStatus;

struct NumberCase {
  std::string text;
  float value;
};

class ReadFreeNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadFreeNumbers, ValueTextGivesTheNearestReal) {
  const auto converted = convert_free_format_real(GetParam().text);
  ASSERT_EQ(converted.status, NumberStatus::ok) << GetParam().text;
  EXPECT_EQ(converted.value, GetParam().value) << GetParam().text;
}

const float two_to_80 = std::ldexp(1.0F, 80);
const float above_two_to_80 = std::nextafter(two_to_80, INFINITY);

INSTANTIATE_TEST_SUITE_P(
    ReadFreeForms, ReadFreeNumbers,
    ::testing::Values(
        NumberCase{"5", 5.0F}, NumberCase{"5.", 5.0F}, NumberCase{".5", 0.5F},
        NumberCase{"-0.25", -0.25F}, NumberCase{"+2", 2.0F}, NumberCase{"1.64", 1.64F},
        NumberCase{"1e2", 100.0F}, NumberCase{"1.E2", 100.0F}, NumberCase{"1d2", 100.0F},
        NumberCase{"1D+2", 100.0F}, NumberCase{"100.", 100.0F}, NumberCase{"1+2", 100.0F},
        NumberCase{"2+1", 20.0F}, NumberCase{"1.5-3", 0.0015F}, NumberCase{"1.5E-3", 0.0015F},
        NumberCase{"1.64d0", 1.64F}, NumberCase{"-.5e1", -5.0F},
        // Leading zeros are not significant digits, before or after the point.
        NumberCase{"0.0000000000000000000000000000012345", 1.2345e-30F},
        NumberCase{"000000000000000000000000000001.5", 1.5F},
        // More than 25 significant digits: the rest only shift the exponent.
        NumberCase{"123456789012345678901234567890", 1.2345679e29F},
        // Exactly halfway between two 64-bit reals (25 digits), and just above it: rounding
        // to even and then to 32 bits falls on different sides. A 26th digit is not taken into
        // account, so it cannot lift the halfway case.
        NumberCase{"1208925891672223346851840", two_to_80},
        NumberCase{"1208925891672223346851841", above_two_to_80},
        NumberCase{"12089258916722233468518401e-1", two_to_80},
        // Rounded to 64 bits first: 1 + 2^-24 + 10^-20 is 1 + 2^-24 as a 64-bit real, then a
        // tie that goes to the even 32-bit real 1.
        NumberCase{"1.00000005960464477539062501", 1.0F},
        // Below the 32-bit range: zero or the nearest tiny value, without error.
        NumberCase{"1e-50", 0.0F}, NumberCase{"1e-45", std::nextafter(0.0F, 1.0F)},
        NumberCase{"1e-99999999999999999999", 0.0F}, NumberCase{"0e999999", 0.0F},
        // Up to 3.402823466385289E38 the value rounds to the largest 32-bit real.
        NumberCase{"3.402823466e38", FLT_MAX}, NumberCase{"-3.402823466385289E38", -FLT_MAX}));

struct FailureCase {
  std::string text;
  NumberStatus status;
};

class ReadFreeNumberFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ReadFreeNumberFailures, ValueTextIsRefused) {
  EXPECT_EQ(convert_free_format_real(GetParam().text).status, GetParam().status) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    ReadFreeFaults, ReadFreeNumberFailures,
    ::testing::Values(FailureCase{"1.2.3", NumberStatus::not_a_number},
                      FailureCase{"12a", NumberStatus::not_a_number},
                      FailureCase{"1.5e", NumberStatus::not_a_number},
                      FailureCase{"1.5-", NumberStatus::not_a_number},
                      FailureCase{"1e+", NumberStatus::not_a_number},
                      FailureCase{".", NumberStatus::not_a_number},
                      FailureCase{"+", NumberStatus::not_a_number},
                      FailureCase{"-", NumberStatus::not_a_number},
                      FailureCase{"e5", NumberStatus::not_a_number},
                      FailureCase{".e5", NumberStatus::not_a_number},
                      FailureCase{"1e5.0", NumberStatus::not_a_number},
                      FailureCase{"1+-2", NumberStatus::not_a_number},
                      FailureCase{"--1", NumberStatus::not_a_number},
                      FailureCase{"1x5", NumberStatus::not_a_number},
                      FailureCase{"1 5", NumberStatus::not_a_number},
                      FailureCase{"1e309", NumberStatus::beyond_double},
                      FailureCase{"-1d99999999999999999999", NumberStatus::beyond_double},
                      FailureCase{"1e39", NumberStatus::beyond_float},
                      // The shortest text of the largest 32-bit real lies above the limit.
                      FailureCase{"3.4028235e38", NumberStatus::beyond_float},
                      FailureCase{"-1e300", NumberStatus::beyond_float}));

} // namespace
