#include "recio/input.hpp"

#include "recio/free_format_number.hpp"
#include "recio/line_source.hpp"
#include "recio/runtime_error.hpp"
#include "recio/units.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace recio {
namespace {

constexpr std::size_t max_value_text = 520;
constexpr std::size_t max_answer_line = 260;

// The record a read of this unit takes its lines from: the console's for the console and for
// units connected to the console device.
UnitRecord &input_record(int unit) {
  if (unit == console) {
    return console_unit;
  }
  UnitRecord *record = find_unit(unit);
  if (record == nullptr) {
    std::array<char, 16> name{};
    const int length = std::snprintf(name.data(), name.size(), "%d", unit);
    fail_read(error_number::request_failed, {name.data(), static_cast<std::size_t>(length)});
  }
  return record->is_console_device ? console_unit : *record;
}

[[noreturn]] void fail_at_end_of_input(const LineSource &source) {
  fail_read(error_number::end_of_file, source.unit_name());
}

// ---- A editing ----

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The one A descriptor of an input layout: "(a1)", "(A40)", or "(a)" for the item's length.
// Blanks and tabs anywhere in it are ignored.
struct ADescriptor {
  bool well_formed = false;
  bool has_width = false;
  std::size_t width = 0;
};

ADescriptor parse_a_descriptor(std::string_view layout) {
  std::array<char, 16> text{};
  std::size_t length = 0;
  for (const char c : layout) {
    if (is_blank(c)) {
      continue;
    }
    if (length == text.size()) {
      return {};
    }
    text[length++] = c;
  }
  const std::string_view compact(text.data(), length);
  if (compact.size() < 3 || compact.front() != '(' || compact.back() != ')' ||
      (compact[1] != 'a' && compact[1] != 'A')) {
    return {};
  }
  const std::string_view digits = compact.substr(2, compact.size() - 3);
  if (digits.empty()) {
    return {true, false, 0};
  }
  std::size_t width = 0;
  for (const char c : digits) {
    if (!is_digit(c)) {
      return {};
    }
    width = width * 10 + static_cast<std::size_t>(c - '0'); // at most 12 digits: no overflow
  }
  return {width > 0, true, width};
}

// Passes over `count` characters of the line; false if its line end comes first.
bool pass_over(LineSource &source, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const int c = source.peek();
    if (c == end_of_input_mark) {
      fail_at_end_of_input(source);
    }
    if (c == line_end_mark) {
      return false;
    }
    source.take();
  }
  return true;
}

// Copies characters of the line into the item until it is full or the line end (left unread)
// comes; returns how many.
std::size_t copy_from_line(LineSource &source, std::span<char> item) {
  std::size_t copied = 0;
  while (copied < item.size()) {
    const int c = source.peek();
    if (c == end_of_input_mark) {
      fail_at_end_of_input(source);
    }
    if (c == line_end_mark) {
      break;
    }
    item[copied++] = static_cast<char>(c);
    source.take();
  }
  return copied;
}

// ---- Free format ----

// What ended the value before: blank, comma or slash.
enum class Separator { blank, comma, slash };

// The state of one free-format read.
struct FreeFormatState {
  Separator last_separator = Separator::comma;
  std::int32_t repeat_remaining = 0;
  bool line_consumed = false; // the last value was ended by a line end, already passed
  bool repeated_is_null = true;
  float repeated_value = 0.0F;
};

// The characters of the value being collected.
struct ValueText {
  std::array<char, max_value_text> chars{};
  std::size_t length = 0;
  bool after_repeat_count = false; // a repeat count has been read for this value

  std::string_view text() const { return {chars.data(), length}; }
  // Nothing collected yet: blanks and line ends are still passed over.
  bool awaiting() const { return length == 0 && !after_repeat_count; }
};

bool starts_a_string_or_pair(char c) { return c == '\'' || c == '"' || c == '('; }

void add_to_value(const LineSource &source, ValueText &value, char c) {
  if (value.length == 0 && starts_a_string_or_pair(c)) {
    fail_read(error_number::text_where_real_expected, source.unit_name());
  }
  if (value.length == value.chars.size()) {
    fail_read(error_number::not_a_number, source.unit_name()); // no number is that long
  }
  value.chars[value.length++] = c;
}

// The repeat count r of "r*": an unsigned decimal integer from 1 to the largest 32-bit one.
std::int32_t repeat_count(const LineSource &source, const ValueText &value) {
  if (value.after_repeat_count) {
    fail_read(error_number::repeat_count_twice, source.unit_name());
  }
  const std::string_view digits = value.text();
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), is_digit)) {
    fail_read(error_number::repeat_count_not_integer, source.unit_name());
  }
  constexpr std::int64_t largest = INT32_MAX;
  std::int64_t count = 0;
  for (const char c : digits) {
    count = std::min(largest + 1, count * 10 + (c - '0'));
  }
  if (count == 0) {
    fail_read(error_number::repeat_count_zero, source.unit_name());
  }
  if (count > largest) {
    fail_read(error_number::repeat_count_too_large, source.unit_name());
  }
  return static_cast<std::int32_t>(count);
}

void start_repeat(const LineSource &source, FreeFormatState &state, ValueText &value) {
  state.repeat_remaining = repeat_count(source, value) - 1;
  value.length = 0;
  value.after_repeat_count = true;
}

// Collects one value up to its separator. False if the input ends first.
bool collect_value(LineSource &source, FreeFormatState &state, ValueText &value) {
  value.length = 0;
  value.after_repeat_count = false;
  state.line_consumed = false;
  for (;;) {
    const int c = source.peek();
    if (c == end_of_input_mark) {
      return false;
    }
    if (c == line_end_mark) {
      if (!source.finish_line()) {
        return false;
      }
      if (value.awaiting()) {
        continue;
      }
      state.line_consumed = true; // after a value and after a bare repeat count alike
      state.last_separator = Separator::blank;
      return true;
    }
    source.take();
    switch (c) {
    case ' ':
    case '\t':
      if (value.awaiting()) {
        continue;
      }
      state.last_separator = Separator::blank;
      return true;
    case ',':
      if (value.awaiting() && state.last_separator == Separator::blank) {
        state.last_separator = Separator::comma; // the comma belongs to the blanks before it
        continue;
      }
      state.last_separator = Separator::comma;
      return true;
    case '/':
      state.last_separator = Separator::slash;
      return true;
    case '*':
      start_repeat(source, state, value);
      continue;
    default:
      add_to_value(source, value, static_cast<char>(c));
      continue;
    }
  }
}

float value_of(const LineSource &source, const ValueText &value) {
  const ConvertedNumber number = convert_free_format_real(value.text());
  switch (number.status) {
  case NumberStatus::ok:
    break;
  case NumberStatus::not_a_number:
    fail_read(error_number::not_a_number, source.unit_name());
  case NumberStatus::beyond_double:
    fail_read(error_number::value_beyond_double, source.unit_name());
  case NumberStatus::beyond_float:
    fail_read(error_number::value_beyond_float, source.unit_name());
  }
  return number.value;
}

int end_of_input_met(const LineSource &source, bool report_end_of_file) {
  if (!report_end_of_file) {
    fail_at_end_of_input(source);
  }
  return end_of_file_status;
}

// Gives the item its value: the repeated one, a new one, or none (a null value, or after a
// slash). False if the input ends first.
bool fill_item(LineSource &source, FreeFormatState &state, ValueText &value, float &item) {
  if (state.repeat_remaining > 0) {
    --state.repeat_remaining;
    if (!state.repeated_is_null) {
      item = state.repeated_value;
    }
    return true;
  }
  if (!collect_value(source, state, value)) {
    return false;
  }
  state.repeated_is_null = value.length == 0;
  if (value.length > 0) {
    item = value_of(source, value);
    state.repeated_value = item;
  }
  return true;
}

bool slash_ended_the_read(const FreeFormatState &state) {
  return state.last_separator == Separator::slash && state.repeat_remaining == 0;
}

} // namespace

int read_edited(int unit, std::string_view layout, std::span<char> item) {
  const ADescriptor descriptor = parse_a_descriptor(layout);
  LineSource source(input_record(unit), true);
  if (!descriptor.well_formed) {
    fail_read(error_number::invalid_layout, source.unit_name());
  }
  const std::size_t width = descriptor.has_width ? descriptor.width : item.size();
  source.settle_console_output();
  std::size_t copied = 0;
  if (pass_over(source, width > item.size() ? width - item.size() : 0)) {
    copied = copy_from_line(source, item.first(std::min(width, item.size())));
  }
  std::fill(item.begin() + static_cast<std::ptrdiff_t>(copied), item.end(), ' ');
  if (!source.finish_line()) {
    fail_at_end_of_input(source);
  }
  return 0;
}

int read_free(int unit, std::span<float *const> items, bool report_end_of_file) {
  LineSource source(input_record(unit), true);
  source.settle_console_output();
  FreeFormatState state;
  ValueText value;
  for (float *const item : items) {
    if (slash_ended_the_read(state)) {
      break;
    }
    if (!fill_item(source, state, value, *item)) {
      return end_of_input_met(source, report_end_of_file);
    }
  }
  if (!state.line_consumed && !source.finish_line()) {
    return end_of_input_met(source, report_end_of_file);
  }
  return 0;
}

bool read_console_answer_line(std::span<char> out, std::size_t &length) {
  LineSource source(console_unit, false);
  const std::size_t room = std::min(out.size(), max_answer_line);
  length = 0;
  for (;;) {
    const int c = source.peek();
    if (c == end_of_input_mark) {
      return false;
    }
    if (c == line_end_mark) {
      return source.finish_line();
    }
    if (length < room) {
      out[length++] = static_cast<char>(c);
    }
    source.take();
  }
}

} // namespace recio
