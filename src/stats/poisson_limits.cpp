#include "stats/poisson_limits.hpp"

#include "stats/checked_math.hpp"

#include <array>
#include <cstddef>

namespace stats {
namespace {

// The largest count with a table row.
constexpr std::int32_t last_table_count = 30;

// Byar's approximation to the exact Poisson limits of the mean (the Wilson-Hilferty cube-root
// transform of the chi-square quantiles), for the count n and the normal deviate z of the level:
//   lower: n (1 - 1/(9n) - z/(3 sqrt(n)))^3
//   upper: (n + 1) (1 - 1/(9(n + 1)) + z/(3 sqrt(n + 1)))^3
// Counts and their products are taken as reals, so that n + 1 and 9n cannot overflow a 32-bit
// integer. Square roots are taken as the power 0.5 and cubes as the power 3.0; only the final
// quotients by E are stored, as 32-bit reals.
float approximate_lower_limit(double n, double z, float E) {
  const double base =
      1.0 - checked_divide(1.0, 9.0 * n) - checked_divide(z, 3.0 * checked_pow(n, 0.5));
  return store_float(checked_divide(n * checked_pow(base, 3.0), E));
}

float approximate_upper_limit(double n, double z, float E) {
  const double n1 = n + 1.0;
  const double base =
      1.0 - checked_divide(1.0, 9.0 * n1) + checked_divide(z, 3.0 * checked_pow(n1, 0.5));
  return store_float(checked_divide(n1 * checked_pow(base, 3.0), E));
}

} // namespace

void poisson_limits(std::int32_t n, float E, std::int32_t confidence_level, float &lower,
                    float &upper) {
  lower = unset_limit;
  upper = unset_limit;
  if (E == 0.0F) {
    return;
  }

  const std::array<float, 31> *lower_table = nullptr;
  const std::array<float, 31> *upper_table = nullptr;
  float z = 0.0F; // normal deviate of the level, a 32-bit real
  if (confidence_level == 95) {
    lower_table = &lower_95;
    upper_table = &upper_95;
    z = 1.96F;
  } else if (confidence_level == 90) {
    lower_table = &lower_90;
    upper_table = &upper_90;
    z = 1.645F;
  } else {
    return;
  }

  // A negative count has no table row and no limits: both stay unset.
  if (n < 0) {
    return;
  }

  if (n <= last_table_count) {
    const auto row = static_cast<std::size_t>(n);
    lower = store_float(checked_divide((*lower_table)[row], E));
    upper = store_float(checked_divide((*upper_table)[row], E));
    return;
  }

  lower = approximate_lower_limit(n, z, E);
  upper = approximate_upper_limit(n, z, E);
}

} // namespace stats
