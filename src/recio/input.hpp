// Record input: answers and names by A editing, and 32-bit reals in free format, from the
// console or from a unit connected to a file.
//
// Every read begins at a fresh line and finishes the last line it used: the rest of that
// line is passed over, and the next read begins at the next line. Malformed input and the
// end of the input end the run with a report, except that a free-format read may ask to be
// told of the end of its file.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace recio {

inline constexpr int end_of_file_status = -1;

// Fills the character item from one line by the layout "(a1)", "(a40)" or "(a)" (the item's
// length): a short line is padded with blanks, the rest of a long one is skipped. The unit
// is recio::console, or a unit connected to a file or device. Returns 0.
int read_edited(int unit, std::string_view layout, std::span<char> item);

// Fills the items in order from free-format values: separated by blanks, tabs, commas or line
// ends; a null value (two commas) leaves its item unchanged; a slash leaves the rest
// unchanged; r*value and r* repeat. Waits for further lines until every item has its value.
// Returns end_of_file_status when the input ends and report_end_of_file is set (the items
// filled so far keep their new values), otherwise 0.
int read_free(int unit, std::span<float *const> items, bool report_end_of_file);

// The next line of the console input, whether or not the console already holds it, for the
// file-name prompt: copies at most 260 of its characters (and no more than `out` holds) into
// `out` and sets `length`; the rest of the line and its line end are passed over. Leaves the
// console output's owed line end alone. False at the end of the input.
bool read_console_answer_line(std::span<char> out, std::size_t &length);

} // namespace recio
