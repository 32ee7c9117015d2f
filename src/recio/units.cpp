#include "recio/units.hpp"

#include "recio/platform.hpp"
#include "recio/runtime_error.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace recio {

std::array<UnitSlot, unit_table_size> unit_table{};
UnitRecord console_unit{};
UnitRecord console_output_unit{};
bool console_output_is_separate = false;

namespace {

constexpr std::string_view line_end = "\r\n";

UnitRecord make_console_record(int input_handle, int output_handle, bool interactive) {
  UnitRecord record{};
  record.set_name("CON");
  record.handle = input_handle;
  record.output_handle = output_handle;
  record.kind = UnitKind::console;
  record.buffer_capacity = console_buffer_size;
  record.interactive = interactive;
  return record;
}

// The report number for a failed cut or write of a file. Quota and file-size limits count as
// a full disk; any other failure is still reported, so that no row is lost silently.
int write_failure_number(int error) {
  switch (error) {
  case ENOSPC:
  case EDQUOT:
  case EFBIG:
    return error_number::disk_full;
  case EACCES:
  case EPERM:
  case EBADF:
  case EROFS:
    return error_number::write_access_denied;
  default:
    return error_number::write_failed;
  }
}

bool report_write_failure(const UnitRecord &unit, int error, bool closing) {
  report_io_error(write_failure_number(error),
                  closing ? StatementKind::close : StatementKind::write, unit.name());
  return false; // reached only while end_of_run is closing the units
}

bool flush_file(UnitRecord &unit, bool closing) {
  if (unit.kind != UnitKind::text_file || !unit.writing || unit.buffer_fill == 0) {
    return true;
  }
  const DeferInterrupts defer;
  const auto size = static_cast<std::size_t>(unit.buffer_fill);
  const int error = write_all_at(unit.handle, unit.buffer.data(), size, unit.position);
  if (error != 0) {
    unit.buffer_fill = 0; // reported once; closing does not try these bytes again
    return report_write_failure(unit, error, closing);
  }
  unit.position += unit.buffer_fill;
  unit.buffer_fill = 0;
  unit.read_position = 0;
  return true;
}

// Closes a connected slot as close_unit does with "keep". False if a failure was reported
// (possible only during end_of_run, where reports return).
bool close_slot(UnitSlot &slot, bool delete_file = false) {
  const DeferInterrupts defer;
  UnitRecord &unit = slot.record;
  if (!flush_file(unit, true)) {
    return false;
  }
  if (unit.kind == UnitKind::console && !unit.is_console_device) {
    end_console_line(unit);
  }
  if (unit.handle > STDERR_FILENO) {
    ::close(unit.handle);
  }
  if (delete_file && unit.kind == UnitKind::text_file) {
    std::array<char, max_name_length + 1> path{};
    std::copy_n(unit.name_text.begin(), unit.name_length, path.begin());
    ::unlink(path.data());
  }
  slot = UnitSlot{};
  return true;
}

// The closing status, compared without regard to case; trailing blanks are allowed.
bool is_delete_status(std::string_view status) {
  while (!status.empty() && status.back() == ' ') {
    status.remove_suffix(1);
  }
  constexpr std::string_view delete_word = "DELETE";
  return std::equal(
      status.begin(), status.end(), delete_word.begin(), delete_word.end(),
      [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

} // namespace

void UnitRecord::set_name(std::string_view text) {
  name_length = std::min(text.size(), name_text.size());
  std::copy_n(text.begin(), name_length, name_text.begin());
}

UnitRecord &console_output_record() {
  return console_output_is_separate ? console_output_unit : console_unit;
}

UnitRecord *find_unit(int unit_number) {
  for (auto &slot : unit_table) {
    if (slot.in_use && slot.unit_number == unit_number) {
      return &slot.record;
    }
  }
  return nullptr;
}

void connect_console(int input_handle, int output_handle) {
  const bool interactive = is_terminal(input_handle) && is_terminal(output_handle);
  console_output_is_separate = !interactive;
  console_unit = make_console_record(input_handle, output_handle, interactive);
  console_output_unit = UnitRecord{};
  if (console_output_is_separate) {
    console_output_unit = make_console_record(-1, output_handle, false);
  }
}

void runtime_startup() {
  connect_console(STDIN_FILENO, STDOUT_FILENO);
  // A write beyond the file-size limit then fails with EFBIG and is reported as a full disk,
  // instead of the signal ending the process with the buffered rows lost.
  std::signal(SIGXFSZ, SIG_IGN);
  install_interrupt_handlers();
  setup_fp_traps();
  std::atexit(&end_of_run);
}

void flush_unit(UnitRecord &unit, bool closing) { (void)flush_file(unit, closing); }

void begin_file_output(UnitRecord &unit) {
  if (unit.writing) {
    return;
  }
  if (::ftruncate(unit.handle, static_cast<off_t>(unit.position)) != 0) {
    const int error = errno == EINVAL ? EBADF : errno; // EINVAL: not open for writing
    (void)report_write_failure(unit, error, false);
    return;
  }
  unit.writing = true;
}

void end_console_line(UnitRecord &unit) {
  if (unit.line_open) {
    (void)write_all(unit.output_handle, line_end);
    unit.line_open = false;
  }
}

void close_unit(int unit_number, std::string_view status) {
  for (auto &slot : unit_table) {
    if (slot.in_use && slot.unit_number == unit_number) {
      (void)close_slot(slot, is_delete_status(status));
      return;
    }
  }
}

void stop_run() {
  UnitRecord &output = console_output_record();
  if (output.line_open) {
    (void)write_all(output.output_handle, line_end);
  }
  (void)write_all(output.output_handle, "Stop - Program terminated.\r\n");
  exit_run(0);
}

void end_of_run() {
  if (end_of_run_started) {
    return;
  }
  end_of_run_started = true;
  for (auto &slot : unit_table) {
    if (slot.in_use && !close_slot(slot)) {
      return;
    }
  }
  UnitRecord &output = console_output_record();
  if (output.line_open) {
    (void)write_all(output.output_handle, line_end);
  }
}

namespace {

constexpr std::array interrupt_signals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};

sigset_t interrupt_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : interrupt_signals) {
    sigaddset(&set, signal_number);
  }
  return set;
}

// Only async-signal-safe calls: pwrite, sigaction, sigprocmask, raise. Interrupts are deferred
// while records are stored or handed over, so each buffer holds whole records here.
void hand_over_and_end(int signal_number) {
  for (const auto &slot : unit_table) {
    const UnitRecord &unit = slot.record;
    if (slot.in_use && unit.kind == UnitKind::text_file && unit.writing && unit.buffer_fill > 0) {
      (void)write_all_at(unit.handle, unit.buffer.data(),
                         static_cast<std::size_t>(unit.buffer_fill), unit.position);
    }
  }
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  ::sigaction(signal_number, &default_action, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal_number);
  ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  ::raise(signal_number);
}

} // namespace

DeferInterrupts::DeferInterrupts() {
  const sigset_t set = interrupt_set();
  ::sigprocmask(SIG_BLOCK, &set, &saved_mask_);
}

DeferInterrupts::~DeferInterrupts() { ::sigprocmask(SIG_SETMASK, &saved_mask_, nullptr); }

void install_interrupt_handlers() {
  struct sigaction action {};
  action.sa_handler = &hand_over_and_end;
  action.sa_mask = interrupt_set();
  for (int signal_number : interrupt_signals) {
    struct sigaction previous {};
    ::sigaction(signal_number, nullptr, &previous);
    if (previous.sa_handler != SIG_IGN) { // keep an interrupt the caller chose to ignore
      ::sigaction(signal_number, &action, nullptr);
    }
  }
}

void reset_units_for_testing() {
  for (auto &slot : unit_table) {
    if (slot.in_use && slot.record.handle > STDERR_FILENO) {
      ::close(slot.record.handle);
    }
    slot = UnitSlot{};
  }
  connect_console(STDIN_FILENO, STDOUT_FILENO);
  end_of_run_started = false;
}

} // namespace recio
