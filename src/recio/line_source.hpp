// The characters of input lines, as the reads take them from a unit's buffer.
//
// A line is the bytes up to its line feed; a carriage return ends the line's data (what stands
// between it and the line feed is passed over unread). Bytes come from requests to the unit's
// handle with no translation: at most 132 bytes a request on the console, 1024 for a file.
//
// The three arrangements differ in where a line ends and in the console's end-of-input line:
// - a terminal: each request is one typed line; a request that comes back without a line feed
//   (the end key pressed inside a line) gets one; a line of more than 130 characters ends the
//   run; a line whose last character is Ctrl-Z ends the input.
// - the console from a pipe or a file: a line ends only at its line feed or at the end of the
//   input; each line is gathered whole before its first character is taken, so that a line
//   whose last character is Ctrl-Z ends the input without being read.
// - a file unit: a line ends only at its line feed or at the end of the input; Ctrl-Z is an
//   ordinary character.
// In each, a last line without its line feed gets one at the end of the input.
#pragma once

#include "recio/units.hpp"

#include <cstddef>
#include <string_view>

namespace recio {

// What LineSource::peek finds besides a byte of the line's data.
inline constexpr int line_end_mark = -1;
inline constexpr int end_of_input_mark = -2;

// Ends the run with the report of a failed read of the named unit.
[[noreturn]] void fail_read(int number, std::string_view unit_name);

class LineSource {
public:
  // announce_finished_lines: tell the console output when a line of the console is finished
  // (record reads do; the file-name answer does not).
  LineSource(UnitRecord &unit, bool announce_finished_lines);

  // The next byte of the line's data (0 to 255), line_end_mark at the line's carriage return
  // or line feed, or end_of_input_mark. Makes a request when the buffer is used up.
  int peek();
  // Passes the byte that peek returned; not for a line end.
  void take() { ++unit_.read_position; }
  // Passes the rest of the line and its line feed. False if the input ends first.
  bool finish_line();

  // Before a record read takes its first character: the console output writes the line end
  // it owes, if the console is a terminal.
  void settle_console_output();

  bool is_console() const { return console_; }
  std::string_view unit_name() const { return unit_.name(); }

private:
  bool ensure_byte();
  bool request_file_block();
  bool request_terminal_line();
  bool ensure_piped_console_byte();
  bool gather_piped_line();
  bool continue_long_piped_line();
  bool at_piped_line_start() const;
  void move_line_to_front();
  std::size_t find_line_feed(std::size_t from) const;
  bool line_ends_in_ctrl_z(std::size_t start, std::size_t line_feed) const;
  bool end_input();
  std::size_t request_size() const;
  std::size_t request(std::size_t at, std::size_t size);

  std::size_t fill() const { return static_cast<std::size_t>(unit_.buffer_fill); }
  std::size_t position() const { return static_cast<std::size_t>(unit_.read_position); }
  void set_fill(std::size_t value) { unit_.buffer_fill = static_cast<std::int32_t>(value); }
  void set_position(std::size_t value) { unit_.read_position = static_cast<std::int32_t>(value); }

  UnitRecord &unit_;
  bool console_;
  bool terminal_;
  bool announce_;
};

} // namespace recio
