// Connecting a unit number to a named file or device.
#pragma once

#include <string_view>

namespace recio {

// Whether the file must already exist (a file that is read), or is created when missing.
enum class OpenStatus { unknown, old };

// The program's command-line arguments, taken in order as file names for blank names.
void set_command_line(int argc, const char *const *argv);

// Connects the unit to the named file or device. Leading and trailing blanks of the name are
// dropped; a blank name is replaced by the next command-line argument, or asked for on the
// console. A file that does not exist is created empty (unless it must exist); an existing one
// is opened unchanged at its start. Every failure ends the run with an OPEN report.
void open_unit(int unit, std::string_view name, OpenStatus status = OpenStatus::unknown);

} // namespace recio
