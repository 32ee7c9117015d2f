#include "recio/output.hpp"

#include "recio/layout_reader.hpp"
#include "recio/platform.hpp"
#include "recio/real_field.hpp"
#include "recio/runtime_error.hpp"
#include "recio/units.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

namespace recio {
namespace {

constexpr std::string_view line_end = "\r\n";
// Free-format text: a record holds its blank and at most 79 characters of the text.
constexpr std::size_t free_format_width = 79;
// The longest line advance a console record can need ("1" after an open line).
constexpr std::size_t max_advance_length = 6;

// Where a write's records go, and how they are shown.
struct OutputTarget {
  UnitRecord *unit = nullptr; // the record whose handle, buffer and line_open are used
  bool console_style = false; // first character chooses the advance; line end owed
  std::string_view name;      // shown in reports
};

std::optional<OutputTarget> output_target(int unit_number) {
  if (unit_number == console) {
    UnitRecord &output = console_output_record();
    return OutputTarget{&output, true, output.name()};
  }
  UnitRecord *unit = find_unit(unit_number);
  if (unit == nullptr) {
    return std::nullopt;
  }
  if (unit->is_console_device) {
    return OutputTarget{&console_output_record(), true, unit->name()};
  }
  return OutputTarget{unit, unit->kind == UnitKind::console, unit->name()};
}

void report_unconnected_unit(int unit_number) {
  std::array<char, 16> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), unit_number);
  report_io_error(
      error_number::write_failed, StatementKind::write,
      std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

// What is written before a console record, by its advance character and whether the line of
// the previous record is still open.
std::string_view line_advance(char advance, bool line_open) {
  switch (advance) {
  case '0':
    return line_open ? "\r\n\r\n" : "\r\n";
  case '1':
    return "\r\n\f\r \r";
  case '+':
    return "\r";
  default:
    return line_open ? "\r\n" : "";
  }
}

// Hands finished records, piece by piece, to the console or to a file's buffer.
class Presentation {
public:
  explicit Presentation(const OutputTarget &target) : target_(target) {}

  // The longest piece of a record held before it is handed over: a console buffer's width;
  // a file buffer's size (a longer record continues in the next buffer).
  std::size_t piece_size() const {
    return target_.console_style ? console_buffer_size : file_buffer_size;
  }

  void present_piece(std::string_view characters, bool first_of_record);
  void end_record();
  bool failed() const { return failed_; }

private:
  void show_on_console(std::string_view characters, bool first_of_record);
  void store_in_file(std::string_view bytes);
  bool make_room_in_buffer();

  OutputTarget target_;
  bool failed_ = false;
};

void Presentation::present_piece(std::string_view characters, bool first_of_record) {
  if (failed_) {
    return;
  }
  if (target_.console_style) {
    show_on_console(characters, first_of_record);
    return;
  }
  if (first_of_record) {
    begin_file_output(*target_.unit);
    failed_ = !target_.unit->writing; // the cut was refused (reported)
  }
  store_in_file(characters);
}

void Presentation::end_record() {
  if (!failed_ && !target_.console_style) {
    store_in_file(line_end);
  }
}

void Presentation::show_on_console(std::string_view characters, bool first_of_record) {
  UnitRecord &unit = *target_.unit;
  std::array<char, max_advance_length + console_buffer_size> shown{};
  std::size_t length = 0;
  if (first_of_record) {
    // An empty record is shown as a record holding one blank.
    const char advance = characters.empty() ? ' ' : characters.front();
    const std::string_view before = line_advance(advance, unit.line_open);
    length = before.copy(shown.data(), before.size());
    characters.remove_prefix(characters.empty() ? 0 : 1);
    unit.line_open = true;
  }
  length += characters.copy(shown.data() + length, shown.size() - length);
  (void)write_all(unit.output_handle, shown.data(), length);
}

void Presentation::store_in_file(std::string_view bytes) {
  UnitRecord &unit = *target_.unit;
  while (!bytes.empty()) {
    if (!make_room_in_buffer()) {
      failed_ = true;
      return;
    }
    const auto fill = static_cast<std::size_t>(unit.buffer_fill);
    const std::size_t capacity = std::min(unit.buffer_capacity, unit.buffer.size());
    const std::size_t stored = bytes.copy(unit.buffer.data() + fill, capacity - fill);
    unit.buffer_fill += static_cast<std::int32_t>(stored);
    bytes.remove_prefix(stored);
    if (static_cast<std::size_t>(unit.buffer_fill) == capacity) {
      flush_unit(unit); // a full buffer goes to the file at once
    }
  }
}

// True when the buffer has room for at least one byte, after handing it over if it is full.
bool Presentation::make_room_in_buffer() {
  UnitRecord &unit = *target_.unit;
  const std::size_t capacity = std::min(unit.buffer_capacity, unit.buffer.size());
  if (unit.buffer_fill < 0 || capacity == 0) {
    return false;
  }
  if (static_cast<std::size_t>(unit.buffer_fill) >= capacity) {
    flush_unit(unit);
  }
  return unit.buffer_fill >= 0 && static_cast<std::size_t>(unit.buffer_fill) < capacity;
}

// The record under construction. Columns count from 1. The characters of the columns not yet
// handed over are held here; a record longer than a piece is handed over piece by piece as
// it grows, and a later move back onto a column already handed over cannot change it.
class RecordBuilder {
public:
  explicit RecordBuilder(Presentation &presentation)
      : presentation_(presentation),
        piece_size_(static_cast<std::int64_t>(std::min(presentation.piece_size(), held_.size()))) {
    start_record();
  }

  // Writes a character at the current column, after the blanks owed before it.
  void write_character(char c);
  // Tn: the next character goes to column n.
  void move_to_column(std::int64_t column) { move_to(column); }
  // nX: the next character goes n columns to the right of where it would have gone.
  void skip_columns(std::int64_t count) { move_to(current_column_ + pending_blanks_ + count); }
  // Blanks that become real only if a character follows them in this record.
  void owe_blanks(std::int64_t count) { pending_blanks_ += count; }
  // Presents the record (an empty one too) and starts the next; owed blanks are dropped.
  void finish_record();

private:
  void start_record();
  void move_to(std::int64_t target);
  void put(std::int64_t column, char c);
  void hand_over_held_piece();

  Presentation &presentation_;
  std::array<char, file_buffer_size> held_{};
  std::int64_t piece_size_;
  std::int64_t first_held_column_ = 1;
  std::int64_t current_column_ = 1;
  std::int64_t record_length_ = 0;
  std::int64_t pending_blanks_ = 0;
  bool first_piece_ = true;
};

void RecordBuilder::start_record() {
  held_.fill(' ');
  first_held_column_ = 1;
  current_column_ = 1;
  record_length_ = 0;
  pending_blanks_ = 0;
  first_piece_ = true;
}

void RecordBuilder::write_character(char c) {
  for (; pending_blanks_ > 0; --pending_blanks_) {
    put(current_column_++, ' ');
  }
  put(current_column_++, c);
}

void RecordBuilder::move_to(std::int64_t target) {
  if (target > record_length_) {
    // Past the end: the gap is owed, and filled only if a character follows.
    current_column_ = record_length_ + 1;
    pending_blanks_ = target - current_column_;
  } else {
    // Back onto written columns: later characters replace them in place.
    current_column_ = target;
    pending_blanks_ = 0;
  }
}

void RecordBuilder::put(std::int64_t column, char c) {
  if (column < first_held_column_) {
    return; // that part of the record has been handed over already
  }
  while (column - first_held_column_ >= piece_size_) {
    hand_over_held_piece();
  }
  held_[static_cast<std::size_t>(column - first_held_column_)] = c;
  record_length_ = std::max(record_length_, column);
}

void RecordBuilder::hand_over_held_piece() {
  presentation_.present_piece({held_.data(), static_cast<std::size_t>(piece_size_)}, first_piece_);
  first_piece_ = false;
  held_.fill(' ');
  first_held_column_ += piece_size_;
}

void RecordBuilder::finish_record() {
  const std::int64_t held_length =
      std::clamp<std::int64_t>(record_length_ - first_held_column_ + 1, 0, piece_size_);
  presentation_.present_piece({held_.data(), static_cast<std::size_t>(held_length)}, first_piece_);
  presentation_.end_record();
  start_record();
}

void write_literal(RecordBuilder &record, const Descriptor &literal) {
  for_each_literal_char(literal, [&record](char c) { record.write_character(c); });
}

// Fw.d: the text right-justified in w characters, its leading blanks owed; w asterisks when
// the text does not fit.
void write_real_field(RecordBuilder &record, float value, const Descriptor &field) {
  const RealText text(value, field.decimals);
  const std::int64_t width = field.number;
  if (text.length() > width) {
    for (std::int64_t column = 0; column < width; ++column) {
      record.write_character('*');
    }
    return;
  }
  record.owe_blanks(width - text.length());
  text.write([&record](char c) { record.write_character(c); });
}

enum class Step { go_on, stop, invalid_layout };

// Carries out one descriptor; values are taken from next_value on.
Step carry_out(const Descriptor &descriptor, RecordBuilder &record, std::span<const float> values,
               std::size_t &next_value) {
  const bool value_left = next_value < values.size();
  switch (descriptor.kind) {
  case DescriptorKind::literal:
    write_literal(record, descriptor);
    return Step::go_on;
  case DescriptorKind::new_record:
    record.finish_record();
    return Step::go_on;
  case DescriptorKind::column:
    record.move_to_column(descriptor.number);
    return Step::go_on;
  case DescriptorKind::skip:
    record.skip_columns(descriptor.number);
    return Step::go_on;
  case DescriptorKind::real_field:
    if (!value_left) {
      return Step::stop;
    }
    write_real_field(record, values[next_value++], descriptor);
    return Step::go_on;
  case DescriptorKind::character_field:
    // A fields are for reading; a value meeting one is a fault of the layout.
    return value_left ? Step::invalid_layout : Step::stop;
  case DescriptorKind::end:
    return Step::stop;
  case DescriptorKind::malformed:
    break;
  }
  return Step::invalid_layout;
}

void report_invalid_layout(const OutputTarget &target) {
  report_io_error(error_number::invalid_layout, StatementKind::write, target.name);
}

void write_free_record(RecordBuilder &record, std::string_view piece) {
  record.write_character(' ');
  for (const char c : piece) {
    record.write_character(c);
  }
  record.finish_record();
}

} // namespace

namespace {

// One write: finds the unit's target, holds interrupts back so that a file never receives half
// a record, and lets the body build records that are presented as each one is finished.
template <typename Body> int write_records(int unit, Body body) {
  const std::optional<OutputTarget> target = output_target(unit);
  if (!target) {
    report_unconnected_unit(unit);
    return 0;
  }
  const DeferInterrupts defer;
  Presentation presentation(*target);
  RecordBuilder record(presentation);
  body(*target, presentation, record);
  return 0;
}

} // namespace

int write_edited(int unit, std::string_view layout, std::span<const float> values) {
  return write_records(unit, [&](const OutputTarget &target, const Presentation &presentation,
                                 RecordBuilder &record) {
    LayoutReader reader(layout);
    std::size_t next_value = 0;
    for (;;) {
      const Step step = carry_out(reader.next(), record, values, next_value);
      if (step == Step::invalid_layout) {
        // The record under construction is not shown; records finished before it were.
        report_invalid_layout(target);
        return;
      }
      if (step == Step::stop || presentation.failed()) {
        break;
      }
    }
    if (!presentation.failed()) {
      record.finish_record();
    }
  });
}

int write_free(int unit, std::string_view text) {
  return write_records(
      unit, [&](const OutputTarget &, const Presentation &presentation, RecordBuilder &record) {
        if (text.size() < free_format_width) {
          write_free_record(record, text);
          return;
        }
        for (; text.size() >= free_format_width && !presentation.failed();
             text.remove_prefix(free_format_width)) {
          write_free_record(record, text.substr(0, free_format_width));
        }
        if (text.empty()) {
          record.finish_record(); // the rest of the text is empty: an empty record
        } else {
          write_free_record(record, text);
        }
      });
}

void settle_console_line_before_read() {
  UnitRecord &output = console_output_record();
  if (console_unit.interactive && output.line_open) {
    (void)write_all(output.output_handle, line_end);
  }
}

void console_line_finished_by_read() {
  if (console_unit.interactive) {
    console_output_record().line_open = false;
  }
}

} // namespace recio
