// Checked floating-point operations for the statistics.
//
// The program's reals are 32 bits wide and its arithmetic runs in double precision. The
// operations that can fail (a division, a store into a 32-bit real, a conversion to a count,
// and the calls of sqrt, log, exp and pow) go through these functions, which test for the
// failure where it happens and hand it to the fault vector. The run-time installs its reports
// there at start-up; the vector's handlers never return to the failing computation.
#pragma once

#include <cstdint>

namespace stats {

// Floating-point exceptions, numbered by the sub-codes that the run-time reports.
enum class FloatFault : int { invalid = 0x81, divide_by_zero = 0x83, overflow = 0x84 };

// Error kinds of a math-library function, numbered as the run-time reports them.
enum class MathErrorKind : int {
  domain = 1,
  singularity = 2,
  overflow = 3,
  underflow = 4,
  total_loss = 5,
  partial_loss = 6
};

struct MathFaultHandlers {
  void (*float_fault)(FloatFault fault);
  // function_name is the library's name of the function: "sqrt", "log", "exp" or "pow".
  void (*math_error)(MathErrorKind kind, const char *function_name);
};

// Installs the handlers. Until then a fault aborts the process.
void set_math_fault_handlers(MathFaultHandlers handlers);

[[noreturn]] void raise_float_fault(FloatFault fault);
[[noreturn]] void raise_math_error(MathErrorKind kind, const char *function_name);

// True when the value rounds to a finite 32-bit real.
bool fits_float(double value);

// Rounds a double to the nearest 32-bit real, as a store into a 32-bit variable does.
// A value whose rounding leaves the 32-bit range is an overflow; underflow passes silently.
float store_float(double value);

// a / b; b = 0 is a division by zero, or an invalid operation when a is 0 as well.
double checked_divide(double a, double b);

double checked_sqrt(double x); // x < 0: sqrt DOMAIN error
double checked_log(double x);  // x = 0: log SING error; x < 0: log DOMAIN error
double checked_exp(double x);  // a result beyond the double range: exp OVERFLOW error
double checked_pow(double x, double y);

// Truncates toward zero to a 32-bit count. A magnitude of 2^30 or more (whose doubling would
// leave the 32-bit range) is an invalid operation, as any conversion out of range is.
std::int32_t truncate_to_count(double value);

} // namespace stats
