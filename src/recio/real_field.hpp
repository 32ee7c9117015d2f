// F editing: the text that a field Fw.d shows for a 32-bit real.
//
// The value is widened to 64 bits and expanded to 17 significant decimal digits; that string
// is then cut to the digits the field shows, at most 7 (all a 32-bit real carries), with
// rounding half up in magnitude. Values below one show no zero before the point, except a
// value below one edited with no decimals ("0."). No plus sign is ever written.
#pragma once

#include <array>
#include <cstdint>

namespace recio {

// The most significant digits a 32-bit real shows.
inline constexpr std::int64_t max_shown_digits = 7;

class RealText {
public:
  RealText(float value, std::int64_t decimals);

  // Characters of the text; larger than any field for a value that is not finite.
  std::int64_t length() const;

  // Hands the characters of the text, in order, to put(char).
  template <typename Put> void write(Put put) const;

private:
  void cut_and_round(const std::array<char, 17> &digits);
  void round_up_kept_digits();
  bool only_zeros_kept() const;
  char kept_digit(std::int64_t index) const;
  bool zero_before_point() const { return integer_digits_ == 0 && digit_count_ == 0; }
  std::int64_t leading_digits() const { return integer_digits_ > 0 ? integer_digits_ : 0; }
  std::int64_t zeros_after_point() const { return integer_digits_ < 0 ? -integer_digits_ : 0; }

  bool finite_ = true;
  bool negative_ = false;
  std::int64_t integer_digits_ = 0; // digits before the point; negative: zeros after it
  std::int64_t digit_count_ = 0;    // digits of the kept string written in all
  std::array<char, max_shown_digits + 1> kept_{}; // one more for a carry out of all nines
  std::int64_t kept_count_ = 0;
};

template <typename Put> void RealText::write(Put put) const {
  if (!finite_) {
    return;
  }
  if (negative_) {
    put('-');
  }
  for (std::int64_t index = 0; index < leading_digits(); ++index) {
    put(kept_digit(index));
  }
  if (zero_before_point()) {
    put('0');
  }
  put('.');
  for (std::int64_t index = 0; index < zeros_after_point(); ++index) {
    put('0');
  }
  for (std::int64_t index = leading_digits(); index < digit_count_; ++index) {
    put(kept_digit(index));
  }
}

} // namespace recio
