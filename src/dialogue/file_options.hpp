// The two file options: a results file written row by row under a header, and a data file
// from which O and E are read.
#pragma once

#include <string_view>

namespace dialogue {

inline constexpr int results_unit = 1;
inline constexpr int data_unit = 15;

inline constexpr std::string_view results_header_layout =
    "('ZALPHA',T11,'SMR(theor)',T22,'Power',T31,'Observed values',/,T32,'O      E      SMR    "
    "95%CI         p',/)";

inline constexpr std::string_view results_row_layout =
    "(F6.2,T11,F6.2,T21,F6.4,T31,F6.2,1X,F6.2,1X,F6.2,1X,F6.2,'-',F6.2,1X,F6.4)";

inline constexpr std::string_view data_prompt_layout =
    "(/,' Enter Zalpha (1.64 for 1 sided), theoretical SMR,',' Observed O and E in input "
    "file in free format',/)";

inline constexpr std::string_view name_layout = "(a40)";

// Asks for the results file's name, connects it to unit 1 and writes the header at once.
void open_results_file();

// Asks for the data file's name, connects it to unit 15, switches the record loop to it and
// reads zalpha and the theoretical SMR once for the whole run.
void open_data_file();

// Reads the next O and E from the data file; false at the end of the file, wherever met.
bool read_data_pair();

// Writes the record as one 71-character row of the results file.
void write_results_row();

// Closes the units of the options chosen.
void close_files();

} // namespace dialogue
