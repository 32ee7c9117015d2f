#include "stats/poisson_limits.hpp"

#include "stats/fault_trap.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace stats {
namespace {

using testing::fault_raised_by;
using testing::FaultTrapTest;

class PoissonLimitsTest : public FaultTrapTest {};

struct LimitsCase {
  std::int32_t n;
  float E;
  std::int32_t level;
  double lower;
  double upper;
  double tolerance; // half a unit in the last digit given
};

TEST_F(PoissonLimitsTest, TableRowsAndApproximationForLargerCounts) {
  const LimitsCase cases[] = {
      {0, 2.5F, 95, 0.0, 1.476, 5e-4},
      {10, 5.0F, 95, 0.96, 3.678, 5e-4},
      {30, 1.0F, 95, 20.24, 42.83, 5e-3},    // last table row
      {31, 1.0F, 95, 21.059, 44.004, 5e-4},  // first count by the approximation
      {31, 25.0F, 95, 0.8424, 1.7602, 5e-5}, // the same, divided by E
      {60, 40.0F, 95, 1.1446, 1.9308, 5e-5},
      {100, 100.0F, 95, 0.8136, 1.2163, 5e-5},
      {100, 100.0F, 90, 0.8414, 1.1808, 5e-5},
      {30, 1.0F, 90, 21.59, 40.69, 5e-3},
      {31, 1.0F, 90, 22.444, 41.837, 5e-4},
      {5, -2.0F, 95, -0.81, -5.835, 5e-4}, // negative E: negative limits, no fault
  };
  for (const LimitsCase &c : cases) {
    SCOPED_TRACE(::testing::Message() << "n " << c.n << ", E " << c.E << ", level " << c.level);
    float lower = 0.0F;
    float upper = 0.0F;
    poisson_limits(c.n, c.E, c.level, lower, upper);
    EXPECT_NEAR(lower, c.lower, c.tolerance);
    EXPECT_NEAR(upper, c.upper, c.tolerance);
  }
}

TEST_F(PoissonLimitsTest, LimitsStayUnsetWithoutZeroEOrAKnownLevelOrACount) {
  const LimitsCase cases[] = {
      {5, 0.0F, 95, 0, 0, 0},
      {5, -0.0F, 95, 0, 0, 0},
      {40, 0.0F, 90, 0, 0, 0},
      {5, 1.0F, 80, 0, 0, 0},
      {40, 1.0F, 0, 0, 0, 0},
      // A negative count has no table row and gets no limits.
      {-1, 1.0F, 95, 0, 0, 0},
      {-3, 5.0F, 95, 0, 0, 0},
      {-3, 5.0F, 90, 0, 0, 0},
      {std::numeric_limits<std::int32_t>::min(), 1.0F, 95, 0, 0, 0},
  };
  for (const LimitsCase &c : cases) {
    SCOPED_TRACE(::testing::Message() << "n " << c.n << ", E " << c.E << ", level " << c.level);
    float lower = 0.0F;
    float upper = 0.0F;
    poisson_limits(c.n, c.E, c.level, lower, upper);
    EXPECT_EQ(lower, 1.0e8F);
    EXPECT_EQ(upper, 1.0e8F);
  }
}

TEST_F(PoissonLimitsTest, QuotientBeyondTheRealRangeIsAnOverflow) {
  float lower = 0.0F;
  float upper = 0.0F;
  // The lower limit 0 / E is fine; the upper 3.69 / 1e-38 is not.
  EXPECT_EQ(fault_raised_by([&] { poisson_limits(0, 1e-38F, 95, lower, upper); }), "overflow");
  EXPECT_EQ(fault_raised_by([&] { poisson_limits(40, 1e-37F, 95, lower, upper); }), "overflow");
  EXPECT_EQ(fault_raised_by([&] { poisson_limits(40, 1e-30F, 95, lower, upper); }), "none");
}

TEST_F(PoissonLimitsTest, LargestCountGivesLimitsAroundIt) {
  // n + 1 and 9n are taken as reals, so the largest count does not overflow.
  const std::int32_t n = std::numeric_limits<std::int32_t>::max();
  float lower = 0.0F;
  float upper = 0.0F;
  poisson_limits(n, 1.0F, 95, lower, upper);
  const double spread = 1.96 * std::sqrt(static_cast<double>(n));
  EXPECT_NEAR(lower, n - spread, 1e-3 * spread);
  EXPECT_NEAR(upper, n + spread, 1e-3 * spread);
}

// P(X <= n) for X Poisson with mean mu, summed term by term.
double poisson_cdf(int n, double mu) {
  double term = std::exp(-mu);
  double sum = term;
  for (int k = 1; k <= n; ++k) {
    term *= mu / k;
    sum += term;
  }
  return sum;
}

// The mean at which the decreasing function tail(mu) equals target, by bisection.
template <typename Tail> double solve_mean(Tail tail, double target) {
  double low = 0.0;
  double high = 100.0;
  for (int i = 0; i < 200; ++i) {
    const double middle = (low + high) / 2;
    (tail(middle) > target ? low : high) = middle;
  }
  return (low + high) / 2;
}

TEST(PoissonLimitTables, EveryRowAgreesWithTheExactPoissonLimits) {
  // The exact limits of the mean for a count n at the level 1 - 2a: the lower limit is the mean
  // with P(X >= n) = a, the upper the mean with P(X <= n) = a. The tables give them to two
  // decimals, or three to four significant digits below 1; one published entry (upper_90 at 22,
  // 31.42 for 31.4148) is rounded up, hence the allowance of 0.0055.
  struct Level {
    const std::array<float, 31> &lower;
    const std::array<float, 31> &upper;
    double a;
  };
  const Level levels[] = {{lower_95, upper_95, 0.025}, {lower_90, upper_90, 0.05}};
  for (const Level &level : levels) {
    for (int n = 0; n <= 30; ++n) {
      SCOPED_TRACE(::testing::Message() << "level " << 1 - 2 * level.a << ", count " << n);
      const double exact_lower =
          n == 0 ? 0.0 : solve_mean([n](double mu) { return poisson_cdf(n - 1, mu); }, 1 - level.a);
      const double exact_upper = solve_mean([n](double mu) { return poisson_cdf(n, mu); }, level.a);
      const auto allowance = [](double value) { return value < 1.0 ? 6e-4 : 5.5e-3; };
      EXPECT_NEAR(level.lower[n], exact_lower, allowance(exact_lower));
      EXPECT_NEAR(level.upper[n], exact_upper, allowance(exact_upper));
    }
  }
}

} // namespace
} // namespace stats
