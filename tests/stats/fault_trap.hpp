// Test support: fault handlers that turn a fault of the checked operations into a C++ exception,
// and a helper that names the fault an expression raises.
#pragma once

#include "stats/checked_math.hpp"

#include <gtest/gtest.h>

#include <string>

namespace stats::testing {

// Thrown by the installed handlers; describes the fault as "invalid", "divide_by_zero" or
// "overflow" for a floating-point fault and "<kind> <function>", e.g. "domain sqrt", for a
// math-library error.
struct RaisedFault {
  std::string description;
};

inline std::string describe(FloatFault fault) {
  switch (fault) {
  case FloatFault::invalid:
    return "invalid";
  case FloatFault::divide_by_zero:
    return "divide_by_zero";
  case FloatFault::overflow:
    return "overflow";
  }
  return "float fault " + std::to_string(static_cast<int>(fault));
}

inline std::string describe(MathErrorKind kind, const char *function_name) {
  static const char *const names[] = {"",          "domain",     "singularity", "overflow",
                                      "underflow", "total_loss", "partial_loss"};
  const int index = static_cast<int>(kind);
  const std::string kind_name =
      index >= 1 && index <= 6 ? names[index] : "math error " + std::to_string(index);
  return kind_name + " " + function_name;
}

// Installs the throwing handlers for the duration of each test, and removes them after it.
class FaultTrapTest : public ::testing::Test {
protected:
  void SetUp() override {
    set_math_fault_handlers(
        {[](FloatFault fault) { throw RaisedFault{describe(fault)}; },
         [](MathErrorKind kind, const char *name) { throw RaisedFault{describe(kind, name)}; }});
  }
  void TearDown() override { set_math_fault_handlers({nullptr, nullptr}); }
};

// Runs the computation and names the fault it raised, or "none" when it completed.
template <typename Computation> std::string fault_raised_by(Computation &&computation) {
  try {
    computation();
  } catch (const RaisedFault &raised) {
    return raised.description;
  }
  return "none";
}

} // namespace stats::testing
