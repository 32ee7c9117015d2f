#include "stats/poisson_p_value.hpp"

#include "stats/fault_trap.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace stats {
namespace {

using testing::fault_raised_by;
using testing::FaultTrapTest;

class PoissonPValueTest : public FaultTrapTest {};

TEST_F(PoissonPValueTest, ProbabilityOfTheCountOrMore) {
  struct Case {
    std::int32_t n;
    float mu;
    double p;
    double tolerance;
  };
  const Case cases[] = {
      {10, 5.0F, 0.0318, 5e-5},  {5, 3.0F, 0.1847, 5e-5},    {1, 0.02F, 0.0198, 5e-5},
      {5, 5.7F, 0.6728, 5e-5},   {60, 40.0F, 0.00188, 5e-6}, // df 120: logarithmic sum
      {26, 30.0F, 0.7916, 5e-5}, {25, 30.0F, 0.8428, 5e-5},  // df 52 and 50 on either side
      {0, 7.0F, 1.0, 0.0},       {0, -7.0F, 1.0, 0.0},       // no count: certain
      {3, -1.0F, 2.0, 0.0},      {-2, 5.0F, 2.0, 0.0},       // sentinel
      {4, -0.5F, 2.0, 0.0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::Message() << "n " << c.n << ", mu " << c.mu);
    EXPECT_NEAR(poisson_p_value(c.n, c.mu), c.p, c.tolerance);
  }
}

TEST_F(PoissonPValueTest, NoEventsExpectedGivesZeroForAnyPositiveCount) {
  // x = 0 needs no logarithm, however large the count (df above 50 takes the logarithmic sum).
  for (const std::int32_t n : {1, 2, 25, 26, 30, 1000}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(poisson_p_value(n, 0.0F), 0.0F);
  }
}

TEST_F(PoissonPValueTest, FaultsOfTheArguments) {
  // 2 mu beyond the 32-bit range is an overflow where it is stored.
  EXPECT_EQ(fault_raised_by([] { poisson_p_value(5, 3e38F); }), "overflow");
  // A count of 2^30 or more cannot be doubled into degrees of freedom.
  const std::int32_t too_large = std::int32_t{1} << 30;
  EXPECT_EQ(fault_raised_by([&] { poisson_p_value(too_large, 1.0F); }), "invalid");
  EXPECT_EQ(fault_raised_by([&] { poisson_p_value(-too_large, 1.0F); }), "invalid");
  EXPECT_EQ(
      fault_raised_by([] { poisson_p_value(std::numeric_limits<std::int32_t>::min(), 1.0F); }),
      "invalid");
  EXPECT_EQ(fault_raised_by([&] { poisson_p_value(-(too_large - 1), 1.0F); }), "none");
}

class ChiSquareTest : public FaultTrapTest {};

TEST_F(ChiSquareTest, UpperTailOnEveryBranch) {
  struct Case {
    float x;
    std::int32_t df;
    double q;
    double tolerance;
  };
  // Reference values to the digits given; the others from the regularised incomplete gamma.
  const Case cases[] = {
      {3.84F, 1, 0.0500, 5e-5},       // odd, normal integral only
      {5.99F, 2, 0.0500, 5e-5},       // even, e^(-x/2) only
      {7.81F, 3, 0.0501, 5e-5},       // odd product sum
      {9.49F, 4, 0.0500, 5e-5},       // even product sum
      {11.07F, 5, 0.0500, 5e-5},      //
      {60.0F, 49, 0.13486, 5e-5},     // last odd df of the product sum
      {67.5F, 50, 0.0500, 5e-5},      // last df of the product sum
      {60.0F, 50, 0.15724, 5e-5},     //
      {60.0F, 51, 0.1818, 5e-5},      // first df of the logarithmic sum, odd
      {67.5F, 52, 0.0729, 5e-5},      // logarithmic sum, even
      {60.0F, 52, 0.20836, 5e-5},     //
      {100.0F, 60, 0.00091683, 5e-8}, //
      {400.0F, 4, 0.0, 0.0},          // x >= 358: e^(-x/2) left out, nothing left
      {400.0F, 400, 0.49060, 5e-5},   // x >= 358, logarithmic sum
      {360.0F, 360, 0.49009, 5e-5},   //
      {500.0F, 400, 0.00048221, 5e-8},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::Message() << "x " << c.x << ", df " << c.df);
    EXPECT_NEAR(chi_square_upper_tail(c.x, c.df), c.q, c.tolerance);
  }
}

TEST_F(ChiSquareTest, ZeroGivesOneForEveryDegreeOfFreedom) {
  for (const std::int32_t df : {1, 2, 3, 4, 5, 49, 50, 51, 52, 100, 1001}) {
    SCOPED_TRACE(df);
    EXPECT_EQ(fault_raised_by([&] { EXPECT_EQ(chi_square_upper_tail(0.0F, df), 1.0F); }), "none");
    EXPECT_EQ(chi_square_upper_tail(-0.0F, df), 1.0F);
  }
}

TEST_F(ChiSquareTest, NegativeXOrNoDegreesOfFreedomGiveTheSentinel) {
  EXPECT_EQ(chi_square_upper_tail(-1.0F, 4), -1.0F);
  EXPECT_EQ(chi_square_upper_tail(-1e-30F, 60), -1.0F);
  EXPECT_EQ(chi_square_upper_tail(5.0F, 0), -1.0F);
  EXPECT_EQ(chi_square_upper_tail(5.0F, -4), -1.0F);
  EXPECT_EQ(chi_square_upper_tail(0.0F, 0), -1.0F);
}

class NormalIntegralTest : public FaultTrapTest {};

TEST_F(NormalIntegralTest, ValuesOnEachPolynomial) {
  struct Case {
    float z;
    double phi;
    double tolerance;
  };
  const Case cases[] = {
      {0.0F, 0.5, 0.0},       {1.96F, 0.9750, 5e-5},  {-1.96F, 0.0250, 5e-5},
      {1.645F, 0.9500, 5e-5}, {0.5F, 0.69146, 5e-5},  {-1.0F, 0.15866, 5e-5},
      {2.0F, 0.97725, 5e-5},  {4.0F, 0.999968, 5e-6}, {-5.0F, 2.87e-7, 5e-8},
      {6.0F, 1.0, 0.0},       {-6.0F, 0.0, 0.0},      {1e30F, 1.0, 0.0},
      {-1e30F, 0.0, 0.0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.z);
    EXPECT_NEAR(normal_integral(c.z), c.phi, c.tolerance);
  }
}

TEST_F(NormalIntegralTest, BranchesMeetAtTheirBoundaries) {
  // |z|/2 = 1 and 3 divide the two polynomials and the constant; on either side of each the
  // value must agree with the standard normal integral.
  for (const float boundary : {2.0F, 6.0F}) {
    for (const float z : {std::nextafter(boundary, 0.0F), boundary}) {
      for (const float signed_z : {z, -z}) {
        SCOPED_TRACE(signed_z);
        const double exact = 0.5 * std::erfc(-static_cast<double>(signed_z) / std::sqrt(2.0));
        EXPECT_NEAR(normal_integral(signed_z), exact, 2e-7);
      }
    }
  }
}

TEST_F(NormalIntegralTest, AgreesWithTheErrorFunctionAcrossItsRange) {
  for (int i = -700; i <= 700; ++i) {
    const float z = static_cast<float>(i) / 100.0F;
    SCOPED_TRACE(z);
    const double exact = 0.5 * std::erfc(-static_cast<double>(z) / std::sqrt(2.0));
    EXPECT_NEAR(normal_integral(z), exact, 2e-7);
  }
}

} // namespace
} // namespace stats
