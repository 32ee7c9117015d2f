#include "stats/poisson_p_value.hpp"

#include "stats/checked_math.hpp"

#include <array>
#include <cstddef>

namespace stats {
namespace {

// Degrees of freedom above 50, or x of 358 or more, take the logarithmic sum; within both limits
// the terms of the product sum stay well inside the double range.
constexpr std::int32_t product_sum_max_df = 50;
constexpr float large_x = 358.0F;

// Terms whose logarithm is this or less are too small to count and are skipped.
constexpr double smallest_log_term = -180.0;

constexpr double log_sqrt_pi = 0.572364942925;     // ln sqrt(pi)
constexpr double inverse_sqrt_pi = 0.564189583548; // 1 / sqrt(pi)

// A count this large or larger cannot be doubled into 32-bit degrees of freedom.
constexpr std::int32_t count_limit = 1 << 30;

// Coefficients of the two polynomials of the normal integral, highest power first.
constexpr std::array<double, 9> small_y_coefficients{
    0.000124818987,  -0.001075204047, 0.005198775019, -0.019198292004, 0.059054035642,
    -0.151968751364, 0.319152932694,  -0.5319230073,  0.797884560493};
constexpr std::array<double, 15> middle_y_coefficients{
    -0.000045255659, 0.00015252929,   -0.000019538132, -0.000676904986, 0.001390604284,
    -0.00079462082,  -0.002034254874, 0.006549791214,  -0.010557625006, 0.011630447319,
    -0.009279453341, 0.005353579108,  -0.002141268741, 0.000535310849,  0.999936657524};

// Horner's scheme, highest power first: (...((c0 v + c1) v + c2) v ...) + cn. Adding a negative
// coefficient rounds exactly as subtracting its magnitude.
template <std::size_t N> double horner(const std::array<double, N> &coefficients, float v) {
  const double vd = v;
  double p = coefficients[0];
  for (std::size_t i = 1; i < N; ++i) {
    p = p * vd + coefficients[i];
  }
  return p;
}

} // namespace

float poisson_p_value(std::int32_t n, float mu) {
  // P(X >= n) = 1 - Q(2 mu | 2 n) for X Poisson with mean mu and n >= 1.
  const float x = store_float(static_cast<double>(mu) * 2.0);
  if (n >= count_limit || n <= -count_limit) {
    raise_float_fault(FloatFault::invalid);
  }
  const std::int32_t df = 2 * n;
  if (n == 0) {
    return 1.0F;
  }
  return store_float(1.0 - static_cast<double>(chi_square_upper_tail(x, df)));
}

// After ACM Algorithm 299 (I. D. Hill and M. C. Pike, chi-squared integral). For even df the
// tail is the Poisson sum e^(-a) (1 + a + a^2/2! + ...) with a = x/2; for odd df it is
// 2 Phi(-sqrt(x)) plus a similar sum over half-integer indices. Up to 50 degrees of freedom the
// terms are built as a running product; beyond, or for large x, each term is formed from its
// logarithm so that no intermediate value overflows.
float chi_square_upper_tail(float x, std::int32_t df) {
  const bool x_is_large = !(x < large_x);
  if (x < 0.0F) {
    return -1.0F;
  }
  if (df < 1) {
    return -1.0F;
  }
  // Every df gives 1 at x = 0; taken here, the logarithmic sum never sees ln 0 and the odd-df
  // product sum never divides by sqrt(0).
  if (x == 0.0F) {
    return 1.0F;
  }

  const double a = static_cast<double>(x) * 0.5;
  const bool df_is_even = df == 2 * (df / 2);

  float y = 0.0F; // e^(-a); left 0 when x is large, where it is below the 32-bit range anyway
  if (df != 1 && !x_is_large) {
    y = store_float(checked_exp(-a));
  }

  double s = y;
  if (!df_is_even) {
    const float minus_root_x = store_float(-checked_sqrt(x));
    s = 2.0 * static_cast<double>(normal_integral(minus_root_x));
  }
  if (df <= 2) {
    return store_float(s);
  }

  const float u = store_float(static_cast<double>(df - 1) * 0.5); // the last index
  double z = df_is_even ? 1.0 : 0.5;                              // the running index

  if (x_is_large || df > product_sum_max_df) {
    // Logarithmic sum: e is the logarithm of the running product of the indices (times
    // sqrt(pi) for odd df), and each term a^z e^(-a) / product is added as exp(its logarithm).
    double e = df_is_even ? 0.0 : log_sqrt_pi;
    const double c = checked_log(a);
    while (z <= static_cast<double>(u)) {
      e = checked_log(z) + e;
      const double log_term = c * z - a - e;
      if (log_term > smallest_log_term) {
        s = checked_exp(log_term) + s;
      }
      z = z + 1.0;
    }
    return store_float(s);
  }

  // Product sum: e is the running term a^z / product of the indices (divided by sqrt(pi a) for
  // odd df), c the sum of the terms; the sum is scaled by e^(-a) at the end.
  double e = df_is_even ? 1.0 : checked_divide(inverse_sqrt_pi, checked_sqrt(a));
  double c = 0.0;
  while (z <= static_cast<double>(u)) {
    e = checked_divide(a * e, z);
    c = e + c;
    z = z + 1.0;
  }
  return store_float(c * static_cast<double>(y) + s);
}

// After ACM Algorithm 209 (D. Ibbetson, Gauss): polynomial approximations of
// erf(|z| / sqrt(2)) in y = |z|/2, one in y^2 for y < 1 and one in y - 2 for 1 <= y < 3; from
// y = 3 on the integral is taken as 0 or 1.
float normal_integral(float z) {
  double p = 0.0;
  if (z != 0.0F) {
    float y = store_float(static_cast<double>(z) * 0.5);
    if (y < 0.0F) {
      y = -y;
    }
    if (y >= 3.0F) {
      p = 1.0;
    } else if (y < 1.0F) {
      const float w = store_float(checked_pow(y, 2.0));
      p = horner(small_y_coefficients, w) * static_cast<double>(y) * 2.0;
    } else {
      y = store_float(static_cast<double>(y) - 2.0);
      p = horner(middle_y_coefficients, y);
    }
  }
  if (z < 0.0F) {
    return store_float((1.0 - p) * 0.5);
  }
  return store_float((p + 1.0) * 0.5);
}

} // namespace stats
