// Confidence limits of an SMR from an observed count and the expected count.
#pragma once

#include <array>
#include <cstdint>

namespace stats {

// Exact confidence limits of a Poisson mean for the counts 0 to 30, indexed by the count, at
// the levels 95% and 90%. Entries are given to two decimals (three or four significant digits
// for the small lower limits).
inline constexpr std::array<float, 31> lower_95{
    0.00F,  0.0253F, 0.242F, 0.619F, 1.09F,  1.62F,  2.20F,  2.81F,  3.45F,  4.12F,  4.80F,
    5.49F,  6.20F,   6.92F,  7.65F,  8.40F,  9.15F,  9.90F,  10.67F, 11.44F, 12.22F, 13.00F,
    13.79F, 14.58F,  15.38F, 16.18F, 16.98F, 17.79F, 18.61F, 19.42F, 20.24F};
inline constexpr std::array<float, 31> upper_95{
    3.69F,  5.57F,  7.22F,  8.77F,  10.24F, 11.67F, 13.06F, 14.42F, 15.76F, 17.08F, 18.39F,
    19.68F, 20.96F, 22.23F, 23.49F, 24.74F, 25.98F, 27.22F, 28.45F, 29.67F, 30.89F, 32.10F,
    33.31F, 34.51F, 35.71F, 36.90F, 38.10F, 39.28F, 40.47F, 41.65F, 42.83F};
inline constexpr std::array<float, 31> lower_90{
    0.00F,  0.0513F, 0.355F, 0.818F, 1.37F,  1.97F,  2.61F,  3.29F,  3.98F,  4.70F,  5.43F,
    6.17F,  6.92F,   7.69F,  8.46F,  9.25F,  10.04F, 10.83F, 11.63F, 12.44F, 13.25F, 14.07F,
    14.89F, 15.72F,  16.55F, 17.38F, 18.22F, 19.06F, 19.90F, 20.75F, 21.59F};
inline constexpr std::array<float, 31> upper_90{
    3.00F,  4.74F,  6.30F,  7.75F,  9.15F,  10.51F, 11.84F, 13.15F, 14.43F, 15.71F, 16.96F,
    18.21F, 19.44F, 20.67F, 21.89F, 23.10F, 24.30F, 25.50F, 26.69F, 27.88F, 29.06F, 30.24F,
    31.42F, 32.59F, 33.75F, 34.92F, 36.08F, 37.23F, 38.39F, 39.54F, 40.69F};

// The value both limits hold when none are computed.
inline constexpr float unset_limit = 1.0e8F;

// Sets lower and upper to the confidence limits of the SMR for the observed count n and the
// expected count E at confidence_level 95 or 90: the limits of the Poisson mean for n, divided
// by E. Counts 0 to 30 take the tables above; larger counts use the closed-form approximation
// of the exact limits. Both limits stay at unset_limit for E = 0, for any other level and for
// a negative count. A quotient beyond the 32-bit range is an overflow fault.
void poisson_limits(std::int32_t n, float E, std::int32_t confidence_level, float &lower,
                    float &upper);

} // namespace stats
