#include "recio/layout_reader.hpp"

namespace recio {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

char to_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

Descriptor with_number(DescriptorKind kind, std::int64_t number) {
  Descriptor descriptor;
  descriptor.kind = kind;
  descriptor.number = number;
  return descriptor;
}

} // namespace

Descriptor LayoutReader::next() {
  if (finished_) {
    return stop(DescriptorKind::malformed);
  }
  if (!opened_) {
    skip_blanks();
    if (at_end() || layout_[position_] != '(') {
      return stop(DescriptorKind::malformed);
    }
    ++position_;
    opened_ = true;
  }
  return next_after_opening();
}

Descriptor LayoutReader::next_after_opening() {
  skip_blanks();
  bool after_comma = false;
  if (after_descriptor_ && !at_end() && layout_[position_] == ',') {
    ++position_;
    after_comma = true;
    skip_blanks();
  }
  if (at_end()) {
    return stop(DescriptorKind::malformed); // no closing parenthesis
  }
  const char letter = upper_current();
  if (letter == ')') {
    // A comma stands only between two descriptors.
    return stop(after_comma ? DescriptorKind::malformed : DescriptorKind::end);
  }
  after_descriptor_ = true;
  return read_descriptor(letter);
}

Descriptor LayoutReader::read_descriptor(char letter) {
  if (is_digit(letter)) {
    return read_skip_count();
  }
  switch (letter) {
  case '\'':
  case '"':
    return read_literal();
  case '/':
    ++position_;
    return with_number(DescriptorKind::new_record, 0);
  case 'T':
    ++position_;
    return read_column();
  case 'X':
    ++position_;
    return with_number(DescriptorKind::skip, 1);
  case 'F':
    ++position_;
    return read_real_field();
  case 'A':
    ++position_;
    return read_character_field();
  default:
    return stop(DescriptorKind::malformed);
  }
}

Descriptor LayoutReader::read_literal() {
  const char delimiter = layout_[position_];
  const std::size_t start = ++position_;
  while (!at_end()) {
    if (layout_[position_] != delimiter) {
      ++position_;
    } else if (position_ + 1 < layout_.size() && layout_[position_ + 1] == delimiter) {
      position_ += 2;
    } else {
      Descriptor literal;
      literal.kind = DescriptorKind::literal;
      literal.text = layout_.substr(start, position_ - start);
      literal.delimiter = delimiter;
      ++position_;
      return literal;
    }
  }
  return stop(DescriptorKind::malformed); // the literal is never closed
}

Descriptor LayoutReader::read_column() {
  const std::int64_t column = read_number();
  if (column < 1) {
    return stop(DescriptorKind::malformed);
  }
  return with_number(DescriptorKind::column, column);
}

Descriptor LayoutReader::read_skip_count() {
  const std::int64_t count = read_number();
  skip_blanks();
  if (count < 1 || at_end() || upper_current() != 'X') {
    return stop(DescriptorKind::malformed);
  }
  ++position_;
  return with_number(DescriptorKind::skip, count);
}

Descriptor LayoutReader::read_real_field() {
  const std::int64_t width = read_number();
  skip_blanks();
  if (width < 1 || at_end() || layout_[position_] != '.') {
    return stop(DescriptorKind::malformed);
  }
  ++position_;
  const std::int64_t decimals = read_number();
  if (decimals < 0) {
    return stop(DescriptorKind::malformed);
  }
  Descriptor field = with_number(DescriptorKind::real_field, width);
  field.decimals = decimals;
  return field;
}

Descriptor LayoutReader::read_character_field() {
  skip_blanks();
  if (at_end() || !is_digit(layout_[position_])) {
    return with_number(DescriptorKind::character_field, 0);
  }
  const std::int64_t width = read_number();
  if (width < 0) {
    return stop(DescriptorKind::malformed);
  }
  return with_number(DescriptorKind::character_field, width);
}

std::int64_t LayoutReader::read_number() {
  skip_blanks();
  if (at_end() || !is_digit(layout_[position_])) {
    return -1;
  }
  std::int64_t number = 0;
  while (!at_end() && (is_digit(layout_[position_]) || is_blank(layout_[position_]))) {
    const char c = layout_[position_++];
    if (is_digit(c)) {
      number = number * 10 + (c - '0');
      if (number > max_descriptor_number) {
        return -1;
      }
    }
  }
  return number;
}

void LayoutReader::skip_blanks() {
  while (!at_end() && is_blank(layout_[position_])) {
    ++position_;
  }
}

char LayoutReader::upper_current() const { return to_upper(layout_[position_]); }

Descriptor LayoutReader::stop(DescriptorKind kind) {
  finished_ = true;
  return with_number(kind, 0);
}

} // namespace recio
