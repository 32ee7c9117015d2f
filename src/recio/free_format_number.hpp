// The numbers of free-format input: the text of one value turned into a 32-bit real.
#pragma once

#include <string_view>

namespace recio {

enum class NumberStatus {
  ok,
  not_a_number,  // a character that is not part of the number
  beyond_double, // too large for a 64-bit real
  beyond_float,  // magnitude above the largest 32-bit real
};

struct ConvertedNumber {
  NumberStatus status = NumberStatus::not_a_number;
  float value = 0.0F;
};

// An optional sign, digits with an optional decimal point (or a point and at least one
// digit), and an optional exponent: E, e, D or d with an optional sign and digits, or a bare
// sign and digits ("1.5-3"). At most 25 significant digits count; the value is rounded to
// the nearest 64-bit real and then to the nearest 32-bit real.
ConvertedNumber convert_free_format_real(std::string_view text);

} // namespace recio
