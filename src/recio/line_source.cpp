#include "recio/line_source.hpp"

#include "recio/output.hpp"
#include "recio/platform.hpp"
#include "recio/runtime_error.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace recio {

namespace {

constexpr char ctrl_z = 26;
// A typed line may hold this many characters besides its carriage return and line feed.
constexpr std::size_t longest_typed_line = 130;

} // namespace

void fail_read(int number, std::string_view unit_name) {
  report_io_error(number, StatementKind::read, unit_name);
  std::abort(); // a report returns only while end_of_run closes the units, which never reads
}

LineSource::LineSource(UnitRecord &unit, bool announce_finished_lines)
    : unit_(unit), console_(&unit == &console_unit),
      terminal_(console_ && is_terminal(unit.handle)), announce_(announce_finished_lines) {}

void LineSource::settle_console_output() {
  if (console_) {
    settle_console_line_before_read();
  }
}

int LineSource::peek() {
  if (!ensure_byte()) {
    return end_of_input_mark;
  }
  const char c = unit_.buffer[position()];
  if (c == '\r' || c == '\n') {
    return line_end_mark;
  }
  return static_cast<unsigned char>(c);
}

bool LineSource::finish_line() {
  for (;;) {
    if (!ensure_byte()) {
      return false;
    }
    const char c = unit_.buffer[position()];
    take();
    if (c == '\n') {
      if (console_ && announce_) {
        console_line_finished_by_read();
      }
      return true;
    }
  }
}

bool LineSource::ensure_byte() {
  if (unit_.at_end) {
    return false;
  }
  if (console_ && !terminal_) {
    return ensure_piped_console_byte();
  }
  if (position() < fill()) {
    return true;
  }
  return terminal_ ? request_terminal_line() : request_file_block();
}

// A file: the next block. The end of the input ends a last line that lacks its line feed.
bool LineSource::request_file_block() {
  const bool inside_line = fill() > 0 && unit_.buffer[fill() - 1] != '\n';
  const std::size_t got = request(0, request_size());
  set_position(0);
  set_fill(got);
  if (got > 0) {
    return true;
  }
  if (inside_line) {
    unit_.buffer[0] = '\n';
    set_fill(1);
    return true;
  }
  return end_input();
}

// A terminal: one typed line per request.
bool LineSource::request_terminal_line() {
  const std::size_t got = request(0, request_size());
  set_position(0);
  set_fill(got);
  if (got == 0) {
    return end_input();
  }
  const bool ends_in_cr_lf =
      got >= 2 && unit_.buffer[got - 2] == '\r' && unit_.buffer[got - 1] == '\n';
  const bool ends_in_lf = unit_.buffer[got - 1] == '\n';
  const std::size_t characters = got - (ends_in_cr_lf ? 2 : ends_in_lf ? 1 : 0);
  if (characters > longest_typed_line) {
    set_fill(0);
    fail_read(error_number::line_too_long, unit_name());
  }
  if (!ends_in_lf) {
    unit_.buffer[got] = '\n'; // the end key inside a line: the line ends there
    set_fill(got + 1);
  }
  if (line_ends_in_ctrl_z(0, fill() - 1)) {
    return end_input();
  }
  return true;
}

// The console from a pipe or a file. Invariant once reading has begun: buffer[read_position
// - 1] is the byte taken last, a line feed at the start of a line.
bool LineSource::ensure_piped_console_byte() {
  if (at_piped_line_start()) {
    return gather_piped_line();
  }
  if (position() < fill()) {
    return true;
  }
  return continue_long_piped_line();
}

bool LineSource::at_piped_line_start() const {
  return position() == 0 || unit_.buffer[position() - 1] == '\n';
}

// Makes the line that starts at read_position whole in the buffer, up to its line feed, and
// applies the Ctrl-Z rule to it. A line too long for the buffer is read as it comes.
bool LineSource::gather_piped_line() {
  std::size_t line_feed = find_line_feed(position());
  if (line_feed == fill()) {
    move_line_to_front();
    line_feed = fill();
    while (line_feed == fill() && fill() < unit_.buffer.size()) {
      const std::size_t got =
          request(fill(), std::min(request_size(), unit_.buffer.size() - fill()));
      if (got == 0) {
        if (position() == fill()) {
          return end_input();
        }
        unit_.buffer[fill()] = '\n'; // the last line of the input ends like the others
        set_fill(fill() + 1);
        break;
      }
      set_fill(fill() + got);
      line_feed = find_line_feed(line_feed);
    }
  }
  if (line_feed < fill() && line_ends_in_ctrl_z(position(), line_feed)) {
    return end_input();
  }
  return true;
}

// Moves the unread line to the start of the buffer, after one line feed that marks its start.
void LineSource::move_line_to_front() {
  if (position() == 0) {
    if (fill() < unit_.buffer.size()) {
      std::memmove(unit_.buffer.data() + 1, unit_.buffer.data(), fill());
      unit_.buffer[0] = '\n';
      set_fill(fill() + 1);
      set_position(1);
    }
    return;
  }
  const std::size_t keep_from = position() - 1;
  std::memmove(unit_.buffer.data(), unit_.buffer.data() + keep_from, fill() - keep_from);
  set_fill(fill() - keep_from);
  set_position(1);
}

// The buffer is used up inside a line longer than the buffer: the next request continues it,
// after the byte taken last.
bool LineSource::continue_long_piped_line() {
  unit_.buffer[0] = unit_.buffer[fill() - 1];
  set_position(1);
  set_fill(1);
  const std::size_t got = request(1, std::min(request_size(), unit_.buffer.size() - 1));
  set_fill(1 + got);
  if (got == 0) {
    unit_.buffer[1] = '\n'; // the last line of the input ends like the others
    set_fill(2);
  }
  return true;
}

std::size_t LineSource::find_line_feed(std::size_t from) const {
  const auto begin = unit_.buffer.begin();
  return static_cast<std::size_t>(std::find(begin + static_cast<std::ptrdiff_t>(from),
                                            begin + static_cast<std::ptrdiff_t>(fill()), '\n') -
                                  begin);
}

bool LineSource::line_ends_in_ctrl_z(std::size_t start, std::size_t line_feed) const {
  const std::size_t length = line_feed - start;
  const auto &b = unit_.buffer;
  return (length >= 1 && b[line_feed - 1] == ctrl_z) ||
         (length >= 2 && b[line_feed - 1] == '\r' && b[line_feed - 2] == ctrl_z);
}

// The end of the input: this unit reports it again on every later read.
bool LineSource::end_input() {
  unit_.at_end = true;
  set_fill(0);
  set_position(0);
  return false;
}

std::size_t LineSource::request_size() const {
  return std::min(unit_.buffer_capacity, unit_.buffer.size());
}

std::size_t LineSource::request(std::size_t at, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(unit_.handle, unit_.buffer.data() + at, size);
    if (got >= 0) {
      return static_cast<std::size_t>(got);
    }
    if (errno != EINTR) {
      fail_read(error_number::request_failed, unit_name());
    }
  }
}

} // namespace recio
