#include "recio/free_format_number.hpp"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace recio {
namespace {

constexpr std::size_t max_significant_digits = 25;
// Exponents beyond this are out of every range already; the cap keeps the sums finite.
constexpr long exponent_cap = 1'000'000;
constexpr double largest_float = 3.402823466385289E38;

// The significant digits of a number and the power of ten that scales them.
struct DecimalNumber {
  bool negative = false;
  std::array<char, max_significant_digits> digits{};
  std::size_t digit_count = 0;
  long scale = 0; // value = digits (as an integer) times ten to this power
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }
bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

void add_digit(DecimalNumber &number, char digit, bool after_point) {
  if (number.digit_count == 0 && digit == '0') {
    number.scale -= after_point ? 1 : 0; // a leading zero only places the point
    return;
  }
  if (number.digit_count < max_significant_digits) {
    number.digits[number.digit_count++] = digit;
    number.scale -= after_point ? 1 : 0;
    return;
  }
  number.scale += after_point ? 0 : 1; // digits beyond the 25th only shift the exponent
}

// Reads the digits of the mantissa from text[pos]; false when it holds no digit.
bool read_mantissa(std::string_view text, std::size_t &pos, DecimalNumber &number) {
  bool any_digit = false;
  for (; pos < text.size() && is_digit(text[pos]); ++pos) {
    add_digit(number, text[pos], false);
    any_digit = true;
  }
  if (pos < text.size() && text[pos] == '.') {
    for (++pos; pos < text.size() && is_digit(text[pos]); ++pos) {
      add_digit(number, text[pos], true);
      any_digit = true;
    }
  }
  return any_digit;
}

// Reads an exponent that starts at text[pos] and must run to the end of the text.
bool read_exponent(std::string_view text, std::size_t pos, long &exponent) {
  if (is_exponent_letter(text[pos])) {
    ++pos;
  } else if (!is_sign(text[pos])) {
    return false;
  }
  const bool negative = pos < text.size() && text[pos] == '-';
  pos += pos < text.size() && is_sign(text[pos]) ? 1 : 0;
  if (pos == text.size()) {
    return false;
  }
  long magnitude = 0;
  for (; pos < text.size(); ++pos) {
    if (!is_digit(text[pos])) {
      return false;
    }
    magnitude = std::min(exponent_cap, magnitude * 10 + (text[pos] - '0'));
  }
  exponent = negative ? -magnitude : magnitude;
  return true;
}

bool parse_number(std::string_view text, DecimalNumber &number) {
  std::size_t pos = 0;
  if (pos < text.size() && is_sign(text[pos])) {
    number.negative = text[pos] == '-';
    ++pos;
  }
  if (!read_mantissa(text, pos, number)) {
    return false;
  }
  long exponent = 0;
  if (pos < text.size() && !read_exponent(text, pos, exponent)) {
    return false;
  }
  number.scale += exponent;
  return true;
}

// The nearest 64-bit real, from a digit string without a decimal point (so that no locale
// setting can change its meaning).
double nearest_double(const DecimalNumber &number) {
  std::array<char, max_significant_digits + 32> text{};
  std::snprintf(text.data(), text.size(), "%s%.*se%ld", number.negative ? "-" : "",
                static_cast<int>(number.digit_count), number.digits.data(), number.scale);
  return std::strtod(text.data(), nullptr);
}

} // namespace

ConvertedNumber convert_free_format_real(std::string_view text) {
  DecimalNumber number;
  if (!parse_number(text, number)) {
    return {NumberStatus::not_a_number, 0.0F};
  }
  if (number.digit_count == 0) {
    return {NumberStatus::ok, number.negative ? -0.0F : 0.0F};
  }
  const double value = nearest_double(number);
  if (std::isinf(value)) {
    return {NumberStatus::beyond_double, 0.0F};
  }
  if (std::fabs(value) > largest_float) {
    return {NumberStatus::beyond_float, 0.0F};
  }
  // Between the largest 32-bit real and the limit, rounding to nearest gives that real.
  if (std::fabs(value) > FLT_MAX) {
    return {NumberStatus::ok, value > 0 ? FLT_MAX : -FLT_MAX};
  }
  return {NumberStatus::ok, static_cast<float>(value)};
}

} // namespace recio
