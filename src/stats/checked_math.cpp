#include "stats/checked_math.hpp"

#include <cmath>
#include <cstdlib>

namespace stats {
namespace {

MathFaultHandlers installed_handlers{nullptr, nullptr};

// The smallest magnitude that rounds to infinity as a 32-bit real: halfway between the
// largest 32-bit real and 2^128 (a tie rounds to the even neighbour, which is 2^128).
constexpr double float_overflow_threshold = 0x1.ffffffp127;

// A count of this magnitude or more cannot be doubled into degrees of freedom.
constexpr double count_limit = 1073741824.0; // 2^30

} // namespace

void set_math_fault_handlers(MathFaultHandlers handlers) { installed_handlers = handlers; }

void raise_float_fault(FloatFault fault) {
  if (installed_handlers.float_fault != nullptr) {
    installed_handlers.float_fault(fault);
  }
  std::abort();
}

void raise_math_error(MathErrorKind kind, const char *function_name) {
  if (installed_handlers.math_error != nullptr) {
    installed_handlers.math_error(kind, function_name);
  }
  std::abort();
}

bool fits_float(double value) { return std::fabs(value) < float_overflow_threshold; }

float store_float(double value) {
  if (std::isnan(value)) {
    raise_float_fault(FloatFault::invalid);
  }
  if (!fits_float(value)) {
    raise_float_fault(FloatFault::overflow);
  }
  return static_cast<float>(value);
}

double checked_divide(double a, double b) {
  if (b == 0.0) {
    raise_float_fault(a == 0.0 || std::isnan(a) ? FloatFault::invalid : FloatFault::divide_by_zero);
  }
  return a / b;
}

double checked_sqrt(double x) {
  if (x < 0.0) {
    raise_math_error(MathErrorKind::domain, "sqrt");
  }
  return std::sqrt(x);
}

double checked_log(double x) {
  if (x == 0.0) {
    raise_math_error(MathErrorKind::singularity, "log");
  }
  if (x < 0.0) {
    raise_math_error(MathErrorKind::domain, "log");
  }
  return std::log(x);
}

double checked_exp(double x) {
  const double result = std::exp(x);
  if (std::isinf(result)) {
    raise_math_error(MathErrorKind::overflow, "exp");
  }
  return result;
}

double checked_pow(double x, double y) {
  if (x == 0.0 && y < 0.0) {
    raise_math_error(MathErrorKind::singularity, "pow");
  }
  if (x < 0.0 && y != std::trunc(y)) {
    raise_math_error(MathErrorKind::domain, "pow");
  }
  const double result = std::pow(x, y);
  if (std::isinf(result)) {
    raise_math_error(MathErrorKind::overflow, "pow");
  }
  return result;
}

std::int32_t truncate_to_count(double value) {
  if (!(std::fabs(value) < count_limit)) {
    raise_float_fault(FloatFault::invalid);
  }
  return static_cast<std::int32_t>(value);
}

} // namespace stats
