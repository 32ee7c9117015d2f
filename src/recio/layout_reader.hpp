// Reading a descriptor string (a record layout) one descriptor at a time, as a write reaches
// it. The notation: a parenthesised list of literals ('text' or "text", a doubled delimiter
// standing for one), "/", Tn, nX (X alone is 1X), Fw.d and A[w], separated by one comma or
// by nothing; letters in either case; blanks and tabs ignored outside literals; anything
// after the closing parenthesis ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace recio {

// Numbers in descriptors above this are not accepted: no record comes near it, and it keeps
// every column computation far from overflow.
inline constexpr std::int64_t max_descriptor_number = 32767;

enum class DescriptorKind {
  literal,         // text, delimiter
  new_record,      // "/"
  column,          // Tn: number is the column
  skip,            // nX: number is the count
  real_field,      // Fw.d: number is w, decimals is d
  character_field, // A[w]: number is w, 0 when absent
  end,             // the closing parenthesis
  malformed        // outside the notation, at this place
};

struct Descriptor {
  DescriptorKind kind = DescriptorKind::malformed;
  std::int64_t number = 0;
  std::int64_t decimals = 0;
  std::string_view text; // a literal's characters between its delimiters, doubles still doubled
  char delimiter = '\'';
};

class LayoutReader {
public:
  explicit LayoutReader(std::string_view layout) : layout_(layout) {}

  // The next descriptor. After `end` or `malformed` the layout is not read any further.
  Descriptor next();

private:
  Descriptor next_after_opening();
  Descriptor read_descriptor(char letter);
  Descriptor read_literal();
  Descriptor read_column();
  Descriptor read_skip_count();
  Descriptor read_real_field();
  Descriptor read_character_field();
  // An unsigned decimal number, blanks between its digits ignored; -1 if there is none or it
  // exceeds max_descriptor_number.
  std::int64_t read_number();
  void skip_blanks();
  bool at_end() const { return position_ >= layout_.size(); }
  char upper_current() const;
  Descriptor stop(DescriptorKind kind);

  std::string_view layout_;
  std::size_t position_ = 0;
  bool opened_ = false;
  bool finished_ = false;
  bool after_descriptor_ = false;
};

// Hands the characters of a literal, each doubled delimiter as one, to put(char).
template <typename Put> void for_each_literal_char(const Descriptor &literal, Put put) {
  const std::string_view text = literal.text;
  for (std::size_t index = 0; index < text.size(); ++index) {
    put(text[index]);
    if (text[index] == literal.delimiter) {
      ++index; // the second of the pair
    }
  }
}

} // namespace recio
