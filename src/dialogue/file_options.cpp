#include "dialogue/file_options.hpp"

#include "dialogue/dialogue.hpp"
#include "recio/input.hpp"
#include "recio/named_files.hpp"
#include "recio/output.hpp"
#include "recio/units.hpp"

#include <array>
#include <span>

namespace dialogue {
namespace {

std::string_view as_text(const std::array<char, 40> &field) { return {field.data(), field.size()}; }

void read_file_name(std::string_view question, std::array<char, 40> &name) {
  recio::write_free(recio::console, question);
  recio::read_edited(recio::console, name_layout, name);
}

} // namespace

void open_results_file() {
  read_file_name("Enter output file name (file to be overwritten)", state.results_file_name);
  recio::open_unit(results_unit, as_text(state.results_file_name));
  recio::write_edited(results_unit, results_header_layout, {});
}

void open_data_file() {
  read_file_name("Enter input file name", state.data_file_name);
  // The data file must exist: a mistyped name ends the run instead of creating an empty file.
  recio::open_unit(data_unit, as_text(state.data_file_name), recio::OpenStatus::old);
  state.reading_data_file = 1;
  recio::write_edited(recio::console, data_prompt_layout, {});
  const std::array<float *, 2> inputs{&state.record.zalpha, &state.record.smr_theor};
  recio::read_free(recio::console, inputs, false);
}

bool read_data_pair() {
  const std::array<float *, 2> inputs{&state.record.observed, &state.record.expected};
  return recio::read_free(data_unit, inputs, true) != -1;
}

void write_results_row() {
  const stats::StudyRecord &r = state.record;
  const std::array<float, 9> row{r.zalpha, r.smr_theor, r.power,    r.observed, r.expected,
                                 r.smr,    r.ci_lower,  r.ci_upper, r.p_value};
  recio::write_edited(results_unit, results_row_layout, row);
}

void close_files() {
  if (answered_yes(state.results_answer)) {
    recio::close_unit(results_unit, "keep");
  }
  if (answered_yes(state.data_answer)) {
    recio::close_unit(data_unit, "keep");
  }
}

} // namespace dialogue
