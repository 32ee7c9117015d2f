// Exact Poisson p-value through the chi-square distribution, with the chi-square upper tail
// (ACM Algorithm 299) and the standard normal integral (ACM Algorithm 209) it is built on.
#pragma once

#include <cstdint>

namespace stats {

// P(X >= n) for X Poisson with mean mu, computed as 1 - Q(2 mu | 2 n). Returns 1 for n = 0,
// and 2 (1 minus the chi-square sentinel) for n != 0 with a negative mean or a negative count.
// A count of magnitude 2^30 or more, whose doubling leaves the 32-bit range, is an invalid
// operation.
float poisson_p_value(std::int32_t n, float mu);

// Q(x | df), the probability that a chi-square variable with df degrees of freedom exceeds x.
// Returns -1 (not a probability) for x < 0 or df < 1, and 1 for x = 0.
float chi_square_upper_tail(float x, std::int32_t df);

// Phi(z), the probability that a standard normal variable is below z. |z| >= 6 gives exactly
// 0 or 1.
float normal_integral(float z);

} // namespace stats
