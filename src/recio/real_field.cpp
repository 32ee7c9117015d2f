#include "recio/real_field.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace recio {
namespace {

constexpr std::size_t expansion_digits = 17;
// Far beyond any field a layout can describe; keeps the digit arithmetic in range.
constexpr std::int64_t max_decimals = std::int64_t{1} << 40;

// |value| = 0.DIGITS x 10^exponent, DIGITS rounded to 17 significant digits.
struct DecimalExpansion {
  std::array<char, expansion_digits> digits{};
  std::int64_t exponent = 0;
  bool negative = false;
  bool zero = true;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The decimal exponent after the 'e' of a "%.16e" text.
std::int64_t exponent_of(const char *text, std::size_t size) {
  std::size_t index = 0;
  while (index < size && text[index] != 'e') {
    ++index;
  }
  ++index;
  const bool negative = index < size && text[index] == '-';
  if (index < size && (text[index] == '-' || text[index] == '+')) {
    ++index;
  }
  std::int64_t exponent = 0;
  for (; index < size && is_digit(text[index]) && exponent < 10000; ++index) {
    exponent = exponent * 10 + (text[index] - '0');
  }
  return negative ? -exponent : exponent;
}

// The exact 64-bit widening of the value, converted once, correctly rounded, to 17 significant
// digits in the form d.dddddddddddddddde+xx; the digits and exponent are taken from that text.
DecimalExpansion expand(float value) {
  DecimalExpansion expansion;
  expansion.digits.fill('0');
  const double wide = value;
  if (wide == 0.0) {
    return expansion; // a negative zero edits as zero
  }
  expansion.zero = false;
  expansion.negative = wide < 0.0;
  std::array<char, 48> text{};
  const int written = std::snprintf(text.data(), text.size(), "%.16e", std::fabs(wide));
  const std::size_t size =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(written, 0)), 0, text.size() - 1);
  if (size < expansion_digits + 1) {
    return expansion;
  }
  expansion.digits[0] = text[0];
  std::copy_n(text.begin() + 2, expansion_digits - 1, expansion.digits.begin() + 1);
  expansion.exponent = exponent_of(text.data(), size) + 1;
  return expansion;
}

} // namespace

RealText::RealText(float value, std::int64_t decimals) {
  decimals = std::clamp<std::int64_t>(decimals, 0, max_decimals);
  if (!std::isfinite(value)) {
    finite_ = false;
    return;
  }
  const DecimalExpansion expansion = expand(value);
  negative_ = expansion.negative;
  integer_digits_ = expansion.zero ? 0 : expansion.exponent;
  digit_count_ = integer_digits_ + decimals;
  if (!expansion.zero && expansion.exponent < -decimals) {
    // Entirely beyond the last decimal shown: only zeros, and no sign.
    integer_digits_ = -decimals;
    digit_count_ = 0;
    negative_ = false;
    return;
  }
  cut_and_round(expansion.digits);
  if (only_zeros_kept()) {
    negative_ = false;
  }
}

void RealText::cut_and_round(const std::array<char, 17> &digits) {
  const std::int64_t keep = std::clamp<std::int64_t>(digit_count_, 0, max_shown_digits);
  const auto kept = static_cast<std::size_t>(keep);
  std::copy_n(digits.begin(), kept, kept_.begin());
  kept_count_ = keep;
  if (digits[kept] < '5') {
    return;
  }
  if (keep == 0) {
    kept_[0] = '1';
    kept_count_ = 1;
    ++integer_digits_;
    ++digit_count_;
    return;
  }
  round_up_kept_digits();
}

void RealText::round_up_kept_digits() {
  for (auto index = static_cast<std::size_t>(kept_count_); index > 0; --index) {
    char &digit = kept_[index - 1];
    if (digit != '9') {
      ++digit;
      return;
    }
    digit = '0';
  }
  // A carry through all nines: a new leading 1 before the zeros.
  std::copy_backward(kept_.begin(), kept_.begin() + kept_count_, kept_.begin() + kept_count_ + 1);
  kept_[0] = '1';
  ++kept_count_;
  ++integer_digits_;
  ++digit_count_;
}

bool RealText::only_zeros_kept() const {
  return std::all_of(kept_.begin(), kept_.begin() + kept_count_, [](char c) { return c == '0'; });
}

char RealText::kept_digit(std::int64_t index) const {
  return index >= 0 && index < kept_count_ ? kept_[static_cast<std::size_t>(index)] : '0';
}

std::int64_t RealText::length() const {
  if (!finite_) {
    return std::numeric_limits<std::int64_t>::max();
  }
  const std::int64_t sign = negative_ ? 1 : 0;
  const std::int64_t zero = zero_before_point() ? 1 : 0;
  return sign + leading_digits() + zero + 1 + zeros_after_point() +
         (digit_count_ - leading_digits());
}

} // namespace recio
