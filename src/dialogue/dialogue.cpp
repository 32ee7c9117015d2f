#include "dialogue/dialogue.hpp"

#include "dialogue/file_options.hpp"
#include "recio/input.hpp"
#include "recio/output.hpp"
#include "recio/units.hpp"
#include "stats/evaluate_record.hpp"

#include <array>
#include <span>

namespace dialogue {

DialogueState state{};

namespace {

char read_answer() {
  char answer = '\0';
  recio::read_edited(recio::console, answer_layout, std::span<char>(&answer, 1));
  return answer;
}

// Gets the next record's inputs: typed at the keyboard, or O and E from the data file.
// False when the data file has ended.
bool get_record() {
  stats::StudyRecord &record = state.record;
  if (state.reading_data_file == 0) {
    recio::write_edited(recio::console, keyboard_prompt_layout, {});
    const std::array<float *, 4> inputs{&record.zalpha, &record.smr_theor, &record.observed,
                                        &record.expected};
    recio::read_free(recio::console, inputs, false);
    return true;
  }
  return read_data_pair();
}

void write_result_block() {
  const stats::StudyRecord &record = state.record;
  const std::array<float, 6> results{record.smr,     record.ci_lower, record.ci_upper,
                                     record.p_value, record.zpower,   record.power};
  recio::write_edited(recio::console, result_block_layout, results);
}

} // namespace

bool answered_yes(char answer) { return answer == 'y' || answer == 'Y'; }

void run_dialogue() {
  recio::write_edited(recio::console, banner_layout, {});
  state.results_answer = read_answer();
  if (answered_yes(state.results_answer)) {
    open_results_file();
  }
  state.reading_data_file = 0;
  recio::write_free(recio::console, data_question);
  state.data_answer = read_answer();
  if (answered_yes(state.data_answer)) {
    open_data_file();
  }
  // A negative zalpha ends the loop unevaluated; 0 and -0 go on.
  while (get_record() && state.record.zalpha >= 0.0f) {
    stats::evaluate_record(state.record);
    write_result_block();
    if (answered_yes(state.results_answer)) {
      write_results_row();
    }
  }
  close_files();
  recio::stop_run();
}

} // namespace dialogue
