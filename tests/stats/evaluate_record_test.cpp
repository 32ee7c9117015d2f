#include "stats/evaluate_record.hpp"

#include "stats/fault_trap.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace stats {
namespace {

using testing::fault_raised_by;
using testing::FaultTrapTest;

class EvaluateRecordTest : public FaultTrapTest {
protected:
  static StudyRecord evaluated(float zalpha, float smr_theor, float observed, float expected) {
    StudyRecord record{zalpha, smr_theor, observed, expected, 0, 0, 0, 0, 0, 0};
    evaluate_record(record);
    return record;
  }
};

// Results are compared to half a unit of the last digit given.
constexpr double digits4 = 5e-5;

TEST_F(EvaluateRecordTest, ResultsOfTypicalStudies) {
  struct Case {
    const char *what;
    float zalpha, smr_theor, observed, expected;
    double smr, ci_lower, ci_upper, p_value, zpower, power;
  };
  const Case cases[] = {
      {"more observed than expected", 1.64F, 2, 10, 5, //
       2.0, 0.96, 3.678, 0.0318, 0.2124, 0.5841},
      {"fewer observed: the tail is reversed", 1.64F, 1.5F, 3, 5, //
       0.6, 0.1238, 1.754, 0.1847, 0.6349, 0.2627},
      {"count above the limit tables", 1.64F, 2, 60, 40, //
       1.5, 1.1446, 1.9308, 0.0019, 3.5994, 0.9998},
      {"no effect: Zpower is zalpha", 1.64F, 1, 10, 5, //
       2.0, 0.96, 3.678, 0.0318, 1.64, 0.0505},
      {"no events", 1.96F, 2, 0, 2.5F, //
       0.0, 0.0, 1.476, 0.0, 0.6501, 0.2578},
      {"truncated E is 0: p-value 1", 1.64F, 2, 0, 0.5F, //
       0.0, 0.0, 7.38, 1.0, 1.0542, 0.1459},
      {"truncated count 5 is below E 5.2", 1.64F, 2, 5.7F, 5.2F, //
       1.0962, 0.3115, 2.2442, 0.6728, 0.2491, 0.5984},
      {"negative O: mean -0.5 gives the sentinel", 1.64F, 2, -0.5F, 4, //
       -0.125, 0.0, 0.9225, 2.0, 0.0169, 0.5067},
      {"Zpower exactly 0", 2.0F, 4, 1, 1, //
       1.0, 0.0253, 5.57, 0.6321, 0.0, 0.5},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const StudyRecord r = evaluated(c.zalpha, c.smr_theor, c.observed, c.expected);
    EXPECT_NEAR(r.smr, c.smr, digits4);
    EXPECT_NEAR(r.ci_lower, c.ci_lower, digits4);
    EXPECT_NEAR(r.ci_upper, c.ci_upper, digits4);
    EXPECT_NEAR(r.p_value, c.p_value, digits4);
    EXPECT_NEAR(r.zpower, c.zpower, digits4);
    EXPECT_NEAR(r.power, c.power, digits4);
    // The inputs are left as they were.
    EXPECT_EQ(r.zalpha, c.zalpha);
    EXPECT_EQ(r.smr_theor, c.smr_theor);
    EXPECT_EQ(r.observed, c.observed);
    EXPECT_EQ(r.expected, c.expected);
  }
}

TEST_F(EvaluateRecordTest, PowerIsTheNormalTailBeyondTheSignedZpower) {
  // power = P(Z > zalpha - 2 sqrt(E) (sqrt(smr_theor) - 1)); zpower holds the magnitude only.
  for (const float smr_theor : {0.25F, 0.8F, 1.0F, 1.2F, 1.5F, 2.0F, 3.0F}) {
    for (const float expected : {0.5F, 2.0F, 5.0F, 10.0F, 20.0F}) {
      SCOPED_TRACE(::testing::Message() << "smr_theor " << smr_theor << ", E " << expected);
      const StudyRecord r = evaluated(1.64F, smr_theor, 4, expected);
      const double signed_zpower =
          1.64 - 2 * std::sqrt(static_cast<double>(expected)) * (std::sqrt(smr_theor) - 1);
      EXPECT_NEAR(r.zpower, std::fabs(signed_zpower), 1e-5);
      EXPECT_NEAR(r.power, 0.5 * std::erfc(signed_zpower / std::sqrt(2.0)), 1e-6);
    }
  }
}

TEST_F(EvaluateRecordTest, StrongEffectGivesPowerOneInsteadOfOverflow) {
  // Zpower = 1.64 - 20 = -18.36: the error-function series leaves the 32-bit range.
  StudyRecord r{1.64F, 4, 100, 100, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(fault_raised_by([&] { evaluate_record(r); }), "none");
  EXPECT_NEAR(r.zpower, 18.36, digits4);
  EXPECT_EQ(r.power, 1.0F);
  EXPECT_NEAR(r.smr, 1.0, digits4);
  EXPECT_NEAR(r.ci_lower, 0.8136, digits4);
  EXPECT_NEAR(r.ci_upper, 1.2163, digits4);

  // The other direction: Zpower = 1.64 + 20, power 0.
  r = evaluated(1.64F, 0, 100, 100);
  EXPECT_NEAR(r.zpower, 21.64, digits4);
  EXPECT_EQ(r.power, 0.0F);
}

TEST_F(EvaluateRecordTest, NoEventsAgainstManyExpectedGivesPValueZero) {
  // A truncated E of 26 or more makes 52 or more degrees of freedom: the logarithmic sum, at 0.
  for (const float expected : {25.9F, 26.0F, 30.0F, 1000.0F}) {
    SCOPED_TRACE(expected);
    StudyRecord r{1.64F, 2, 0, expected, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fault_raised_by([&] { evaluate_record(r); }), "none");
    EXPECT_EQ(r.p_value, 0.0F);
  }
}

TEST_F(EvaluateRecordTest, NegativeCountLeavesTheLimitsUnset) {
  for (const float observed : {-1.0F, -1.5F, -3.0F, -1e9F}) {
    SCOPED_TRACE(observed);
    const StudyRecord r = evaluated(1.64F, 2, observed, 5);
    EXPECT_EQ(r.ci_lower, 1.0e8F);
    EXPECT_EQ(r.ci_upper, 1.0e8F);
    EXPECT_EQ(r.p_value, 2.0F); // reversed direction with a negative mean
    EXPECT_NEAR(r.smr, observed / 5.0, 1e-6 * std::fabs(observed));
    EXPECT_NEAR(r.power, 0.5841, digits4);
  }
}

TEST_F(EvaluateRecordTest, ArithmeticThatCannotBeCarriedOutRaisesItsFault) {
  constexpr float two_30 = 1073741824.0F;       // 2^30
  constexpr float below_two_30 = 1073741760.0F; // the 32-bit real just below 2^30
  struct Case {
    const char *what;
    float zalpha, smr_theor, observed, expected;
    std::string fault;
  };
  const Case cases[] = {
      {"E = 0", 1.64F, 2, 5, 0, "divide_by_zero"},
      {"E = -0", 1.64F, 2, 5, -0.0F, "divide_by_zero"},
      {"O = E = 0", 1.64F, 2, 0, 0, "invalid"},
      {"O / E beyond the 32-bit range", 1.64F, 2, 1e30F, 1e-30F, "overflow"},
      {"E < 0, at the square root of E", 1.64F, 2, 3, -4, "domain sqrt"},
      {"E < 0 with O above E", 1.64F, 2, 10, -4, "domain sqrt"},
      {"smr_theor < 0", 1.64F, -1, 10, 5, "domain sqrt"},
      {"O = 2^30 cannot be made a count", 1.64F, 2, two_30, 1, "invalid"},
      {"O = -2^30 cannot be made a count", 1.64F, 2, -two_30, 1, "invalid"},
      {"E = 2^30 cannot be made a count", 1.64F, 2, 1, two_30, "invalid"},
      {"O just below 2^30 can be made a count", 1.64F, 2, below_two_30, -1, "domain sqrt"},
      {"the division comes before the count", 1.64F, 2, two_30, 0, "divide_by_zero"},
      {"the count comes before the square roots", 1.64F, -1, two_30, -4, "invalid"},
      {"E < 0 comes before smr_theor < 0", 1.64F, -1, 3, -4, "domain sqrt"},
      {"zalpha 3e38: x^2 / 2 of the series overflows", 3e38F, 1, 1, 1, "overflow"},
      {"infinite zalpha: Zpower overflows", std::numeric_limits<float>::infinity(), 1, 1, 1,
       "overflow"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    StudyRecord r{c.zalpha, c.smr_theor, c.observed, c.expected, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fault_raised_by([&] { evaluate_record(r); }), c.fault);
  }
}

class ErfSeriesTest : public FaultTrapTest {};

TEST_F(ErfSeriesTest, AgreesWithTheErrorFunction) {
  // The sum is kept in 32-bit reals, which costs up to about 1.4e-6 near x = 12.
  for (int i = 1; i <= 1330; ++i) {
    const float x = static_cast<float>(i) / 100.0F;
    SCOPED_TRACE(x);
    EXPECT_NEAR(erf_series(x), std::erf(static_cast<double>(x) / std::sqrt(2.0)), 2e-6);
  }
}

TEST_F(ErfSeriesTest, ZeroAndBelowGiveZero) {
  EXPECT_EQ(erf_series(0.0F), 0.0F);
  EXPECT_EQ(erf_series(-0.0F), 0.0F);
  EXPECT_EQ(erf_series(-1.645F), 0.0F);
  EXPECT_EQ(erf_series(std::nanf("")), 0.0F);
}

TEST_F(ErfSeriesTest, SumLeavingTheRealRangeGivesOne) {
  // 13.329938 is the largest argument whose sum stays within the 32-bit range.
  const float last_summed = 13.3299379F;
  EXPECT_EQ(erf_series(last_summed), 0.99999994F);
  for (const float x : {std::nextafter(last_summed, 20.0F), 13.5F, 18.36F, 100.0F, 1e19F}) {
    SCOPED_TRACE(x);
    float value = 0.0F;
    EXPECT_EQ(fault_raised_by([&] { value = erf_series(x); }), "none");
    EXPECT_EQ(value, 1.0F);
  }
}

TEST_F(ErfSeriesTest, HalfSquareBeyondTheRealRangeIsAnOverflow) {
  // x^2 / 2 is stored before the sum starts; above about 2.6e19 that store overflows.
  EXPECT_EQ(fault_raised_by([] { erf_series(3e19F); }), "overflow");
  EXPECT_EQ(fault_raised_by([] { erf_series(3e38F); }), "overflow");
}

} // namespace
} // namespace stats
