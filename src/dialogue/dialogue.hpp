// The interactive run: banner, the two questions, the record loop and the closing steps.
#pragma once

#include "stats/study_record.hpp"

#include <array>
#include <cstdint>
#include <string_view>

namespace dialogue {

inline constexpr std::string_view banner_layout =
    "(' Program to calculate approx power for cohort studies',/,' using square root "
    "transformation for POISSON distributed',' events.',/,' See: Beaumont and Breslow, AJE "
    "114, p725, 1981 for details',/,/,' In addition, exact 95% CIs and exact p-values for "
    "the',/,' observed SMR will be calculated.',/,' Written by Quarrendelsby. Version 1.0, "
    "August 1991',/,/,' CTRL C to quit.',/,/,' Do you want to write results to an ASCII "
    "file(y/n)?')";

inline constexpr std::string_view keyboard_prompt_layout =
    "(/,' Enter Zalpha (1.64 for 1 sided), theoretical SMR,',' observed O and E (free "
    "format)',/,' To stop program, enter Zalpha<0')";

inline constexpr std::string_view result_block_layout =
    "('        SMR and exact 95% C.I.: ',F6.2,'(',F6.2,'-',F6.2,')',/,'         Exact Poisson "
    "p-value: ',F6.4,/,'    Calculated value of Zpower: ',F7.4,/,'                         "
    "Power: ',F6.4)";

inline constexpr std::string_view answer_layout = "(a1)";

inline constexpr std::string_view data_question =
    " Do you want to read data from an ASCII file(y/n)?";

// The dialogue's state for the whole run, in static storage and zero at start (the character
// items hold zero bytes, not blanks); nothing is reset between records.
struct DialogueState {
  char results_answer;
  std::array<char, 40> results_file_name;
  std::int32_t reading_data_file;
  char data_answer;
  std::array<char, 40> data_file_name;
  stats::StudyRecord record; // the one record of the run; inputs persist between records
};

extern DialogueState state;

// "y" or "Y": the two exact one-character comparisons every hook makes afresh.
bool answered_yes(char answer);

// Runs the whole interactive run. Ends the process through stop_run or a run-time error
// report; never returns.
[[noreturn]] void run_dialogue();

} // namespace dialogue
