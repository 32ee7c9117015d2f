// Run-time error reports and the floating-point fault handling that leads to them.
//
// Every failure that the program does not return to the dialogue ends the run the same way:
// a report of a fixed shape on standard error, then the process-exit path with status 1, so
// that end_of_run still hands buffered file output to its files.
#pragma once

#include <string_view>

namespace recio {

enum class StatementKind { close, write, open, read, math, none };

// Error numbers of the input and output reports (shown with the prefix "F").
namespace error_number {
inline constexpr int invalid_layout = 6099;
inline constexpr int repeat_count_too_large = 6100;
inline constexpr int repeat_count_not_integer = 6101;
inline constexpr int value_beyond_double = 6102;
inline constexpr int not_a_number = 6103;
inline constexpr int value_beyond_float = 6104;
inline constexpr int line_too_long = 6407;
inline constexpr int invalid_file_name = 6412;
inline constexpr int file_connected_elsewhere = 6413;
inline constexpr int access_denied = 6414;
inline constexpr int file_exists = 6415;
inline constexpr int file_not_found = 6416;
inline constexpr int too_many_open_files = 6417;
inline constexpr int unit_table_full = 6418;
inline constexpr int open_failed = 6419;
inline constexpr int write_access_denied = 6421;
inline constexpr int disk_full = 6422;
inline constexpr int write_failed = 6423;
inline constexpr int request_failed = 6500;
inline constexpr int end_of_file = 6501;
inline constexpr int repeat_count_zero = 6502;
inline constexpr int repeat_count_twice = 6503;
inline constexpr int text_where_real_expected = 6504;
inline constexpr int no_memory = 6700;
} // namespace error_number

// Set by end_of_run when it begins. While it is set a report returns to its caller.
extern bool end_of_run_started;

// Writes the report and ends the process with status 1 through the exit path; returns only
// while end_of_run_started is set.
void report_runtime_error(int number, StatementKind kind, std::string_view unit_name,
                          std::string_view message);

// The same with this program's own message line for an "F" number.
void report_io_error(int number, StatementKind kind, std::string_view unit_name);
std::string_view io_error_message(int number);

// The process-exit path: runs the termination step, by default std::exit, which runs the
// registered end_of_run. Tests replace the step to stay in their process.
using TerminationStep = void (*)(int status);
TerminationStep set_termination_step(TerminationStep step);
[[noreturn]] void exit_run(int status);

// Arms the floating-point fault handling: the statistics' checked operations report through
// fp_trap_handler and math_error_handler from now on.
void setup_fp_traps();

// A floating-point exception with its sub-code (0x81 invalid ... 0x8A stack fault).
void fp_trap_handler(int sub_code);

// A math-library function error of kind 1 (DOMAIN) to 6 (PLOSS) in the named function.
// Returns true when the default result is to be used (UNDERFLOW and PLOSS).
bool math_error_handler(int kind, std::string_view function_name);

} // namespace recio
