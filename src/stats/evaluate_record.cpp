#include "stats/evaluate_record.hpp"

#include "stats/checked_math.hpp"
#include "stats/poisson_limits.hpp"
#include "stats/poisson_p_value.hpp"

#include <cmath>
#include <cstdint>

namespace stats {
namespace {

constexpr std::int32_t limits_confidence_level = 95;

constexpr float inverse_sqrt2 = 0.70710677F;   // 1 / sqrt(2), nearest 32-bit real
constexpr float two_over_sqrt_pi = 1.1283792F; // 2 / sqrt(pi), nearest 32-bit real
constexpr float series_tolerance = 1e-10F;     // relative size of the last term kept

} // namespace

// erf(u) = (2/sqrt(pi)) e^(-u^2) sum_{j>=0} 2^j u^(2j+1) / (1 3 5 ... (2j+1)) at u = x/sqrt(2).
// Every term is positive, so the sum only grows; it is summed until the last term is at most
// 1e-10 of the sum. The sum grows like e^(x^2/2) and leaves the 32-bit range for x above about
// 13.3, where erf is 1 to 32-bit precision: the series value is then 1.
float erf_series(float x) {
  if (!(x > 0.0F)) {
    return 0.0F;
  }
  float t = store_float(static_cast<double>(x) * static_cast<double>(inverse_sqrt2));
  float s = t;
  const float q = store_float(checked_divide(checked_pow(x, 2.0), 2.0)); // u^2
  float k = 1.0F;
  do {
    k = store_float(static_cast<double>(k) + 2.0);
    const double next_t = checked_divide(static_cast<double>(q) * 2.0, static_cast<double>(k)) *
                          static_cast<double>(t);
    if (!fits_float(next_t)) {
      return 1.0F;
    }
    t = store_float(next_t);
    const double next_s = static_cast<double>(s) + static_cast<double>(t);
    if (!fits_float(next_s)) {
      return 1.0F;
    }
    s = store_float(next_s);
  } while (checked_divide(t, s) - static_cast<double>(series_tolerance) > 0.0);
  return store_float(checked_exp(-static_cast<double>(q)) * static_cast<double>(s) *
                     static_cast<double>(two_over_sqrt_pi));
}

// The power follows Beaumont and Breslow (Am J Epidemiol 114:725, 1981): with the square-root
// transform of a Poisson count, Zpower = zalpha - 2 sqrt(E) (sqrt(SMRtheor) - 1) and the power
// is P(Z > Zpower) for a standard normal Z.
void evaluate_record(StudyRecord &record) {
  const float O = record.observed;
  const float E = record.expected;

  record.smr = store_float(checked_divide(O, E));
  const std::int32_t observed_count = truncate_to_count(O);

  poisson_limits(observed_count, E, limits_confidence_level, record.ci_lower, record.ci_upper);

  // Observed at least as many as expected: P(X >= count | mean E). Otherwise the tail is taken
  // the other way round: P(X >= truncated E | mean O), O untruncated.
  if (static_cast<double>(observed_count) >= static_cast<double>(E)) {
    record.p_value = poisson_p_value(observed_count, E);
  } else {
    const std::int32_t expected_count = truncate_to_count(E);
    record.p_value = poisson_p_value(expected_count, O);
  }

  const float root_e = store_float(checked_sqrt(E));
  record.zpower =
      store_float(static_cast<double>(record.zalpha) -
                  (checked_sqrt(record.smr_theor) - 1.0) * static_cast<double>(root_e) * 2.0);
  bool zpower_negative = false;
  if (record.zpower < 0.0F) {
    record.zpower = -record.zpower;
    zpower_negative = true;
  }

  const double series = erf_series(record.zpower);
  record.power =
      zpower_negative ? store_float((series + 1.0) * 0.5) : store_float((1.0 - series) * 0.5);
}

} // namespace stats
