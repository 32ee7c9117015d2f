#include "recio/runtime_error.hpp"

#include "recio/platform.hpp"
#include "stats/checked_math.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace recio {

bool end_of_run_started = false;

namespace {

TerminationStep termination_step = nullptr;

struct NumberedText {
  int number;
  std::string_view text;
};

constexpr std::array io_messages{
    NumberedText{error_number::invalid_layout, "invalid layout"},
    NumberedText{error_number::repeat_count_too_large, "repeat count too large"},
    NumberedText{error_number::repeat_count_not_integer, "repeat count not an integer"},
    NumberedText{error_number::value_beyond_double, "real value too large"},
    NumberedText{error_number::not_a_number, "invalid real"},
    NumberedText{error_number::value_beyond_float, "real value out of range"},
    NumberedText{error_number::line_too_long, "input line too long"},
    NumberedText{error_number::invalid_file_name, "invalid file name"},
    NumberedText{error_number::file_connected_elsewhere, "file already connected to another unit"},
    NumberedText{error_number::access_denied, "access denied"},
    NumberedText{error_number::file_exists, "file already exists"},
    NumberedText{error_number::file_not_found, "file not found"},
    NumberedText{error_number::too_many_open_files, "too many open files"},
    NumberedText{error_number::unit_table_full, "too many units connected"},
    NumberedText{error_number::open_failed, "cannot open file"},
    NumberedText{error_number::write_access_denied, "access denied or file locked"},
    NumberedText{error_number::disk_full, "disk full"},
    NumberedText{error_number::write_failed, "write to file failed"},
    NumberedText{error_number::request_failed, "read from file failed"},
    NumberedText{error_number::end_of_file, "end of file encountered"},
    NumberedText{error_number::repeat_count_zero, "zero repeat count"},
    NumberedText{error_number::repeat_count_twice, "more than one repeat count in a value"},
    NumberedText{error_number::text_where_real_expected,
                 "character or complex value where a real is expected"},
    NumberedText{error_number::no_memory, "out of memory"},
};

struct FloatTrapWord {
  int sub_code;
  std::string_view word;
  int number;
};

constexpr std::array float_trap_words{
    FloatTrapWord{0x81, "invalid", 6101},         FloatTrapWord{0x82, "denormal", 6102},
    FloatTrapWord{0x83, "divide by zero", 6103},  FloatTrapWord{0x84, "overflow", 6104},
    FloatTrapWord{0x85, "underflow", 6105},       FloatTrapWord{0x86, "inexact", 6106},
    FloatTrapWord{0x88, "square root", 6108},     FloatTrapWord{0x8A, "stack overflow", 6110},
    FloatTrapWord{0x8B, "stack underflow", 6111},
};

constexpr std::array<std::string_view, 6> math_error_words{"DOMAIN",    "SING",  "OVERFLOW",
                                                           "UNDERFLOW", "TLOSS", "PLOSS"};

std::string_view kind_text(StatementKind kind) {
  switch (kind) {
  case StatementKind::close:
    return ": CLOSE(";
  case StatementKind::write:
    return ": WRITE(";
  case StatementKind::open:
    return ": OPEN(";
  case StatementKind::read:
    return ": READ(";
  case StatementKind::math:
    return ": MATH\r\n- ";
  case StatementKind::none:
    break;
  }
  return "\r\n- ";
}

bool names_a_unit(StatementKind kind) {
  return kind != StatementKind::math && kind != StatementKind::none;
}

// The report goes out in pieces; a failure to write standard error changes nothing.
void put_error_text(std::string_view text) { (void)write_all(STDERR_FILENO, text); }

// The recorded fault: the math message and number that report_math_error shows.
void report_math_error(int number, std::string_view message) {
  report_runtime_error(number, StatementKind::math, "", message);
}

std::string_view display_name(std::string_view function_name) {
  if (function_name == "pow") {
    return "**";
  }
  if (function_name == "fmod") {
    return "mod";
  }
  return function_name;
}

void stats_float_fault(stats::FloatFault fault) { fp_trap_handler(static_cast<int>(fault)); }

void stats_math_error(stats::MathErrorKind kind, const char *function_name) {
  if (!math_error_handler(static_cast<int>(kind), function_name)) {
    std::abort(); // a reported error has ended the run; only end_of_run's closing gets here
  }
}

} // namespace

void report_runtime_error(int number, StatementKind kind, std::string_view unit_name,
                          std::string_view message) {
  std::array<char, 8> prefix{};
  const char letter = kind == StatementKind::math ? 'M' : 'F';
  std::snprintf(prefix.data(), prefix.size(), "%c%04d", letter, number % 10000);
  put_error_text("\r\nrun-time error ");
  put_error_text(prefix.data());
  put_error_text(kind_text(kind));
  if (names_a_unit(kind)) {
    put_error_text(unit_name);
    put_error_text(message.empty() ? ")\r\n" : ")\r\n- ");
  }
  put_error_text(message);
  put_error_text("\r\n");
  if (!end_of_run_started) {
    exit_run(1);
  }
}

std::string_view io_error_message(int number) {
  for (const auto &entry : io_messages) {
    if (entry.number == number) {
      return entry.text;
    }
  }
  return "";
}

void report_io_error(int number, StatementKind kind, std::string_view unit_name) {
  report_runtime_error(number, kind, unit_name, io_error_message(number));
}

TerminationStep set_termination_step(TerminationStep step) {
  const TerminationStep previous = termination_step;
  termination_step = step;
  return previous;
}

void exit_run(int status) {
  if (termination_step != nullptr) {
    termination_step(status);
  }
  std::exit(status);
}

void setup_fp_traps() { stats::set_math_fault_handlers({&stats_float_fault, &stats_math_error}); }

void fp_trap_handler(int sub_code) {
  std::array<char, 64> message{};
  int number = 6100 + (sub_code & 0x7F);
  std::string_view word = "unknown";
  for (const auto &entry : float_trap_words) {
    if (entry.sub_code == sub_code) {
      word = entry.word;
      number = entry.number;
    }
  }
  std::snprintf(message.data(), message.size(), "floating-point error: %.*s",
                static_cast<int>(word.size()), word.data());
  report_math_error(number, message.data());
}

bool math_error_handler(int kind, std::string_view function_name) {
  if (kind == 4 || kind == 6) {
    return true;
  }
  std::array<char, 64> message{};
  std::string_view word = "unknown";
  if (kind >= 1 && kind <= 6) {
    word = math_error_words[static_cast<std::size_t>(kind - 1)];
  }
  const std::string_view name = display_name(function_name);
  std::snprintf(message.data(), message.size(), "%.*s: %.*s error", static_cast<int>(name.size()),
                name.data(), static_cast<int>(word.size()), word.data());
  report_math_error(6200 + kind, message.data());
  return false;
}

} // namespace recio
