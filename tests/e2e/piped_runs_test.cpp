// Whole runs of smrpower with standard input, output and error on pipes: the console bytes,
// the report on standard error, the exit status and every file left in the working directory.
#include "e2e_support.hpp"
#include "expected_text.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {
namespace {

using Files = std::map<std::string, std::string>;

struct Scenario {
  std::string name{};
  Files before{}; // files created in the working directory before the run
  std::string input{};
  std::vector<std::string> args{};
  int exit_status = 0;
  std::string out{};
  std::string err{};
  Files after{}; // every file in the working directory afterwards, with its bytes
};

std::ostream &operator<<(std::ostream &os, const Scenario &s) { return os << s.name; }

const std::string ctrl_z = "\x1a";

using known::r_164_2_10_5;

// From a pipe a read writes nothing, so the expected text has no reads in it.

std::string keyboard_run(const std::vector<ResultBlock> &blocks) {
  ConsoleText console;
  console.banner().second_question();
  for (const auto &block : blocks) {
    console.keyboard_prompt().block(block);
  }
  return console.keyboard_prompt().stopped();
}

std::string keyboard_run_with_results(const std::vector<ResultBlock> &blocks) {
  ConsoleText console;
  console.banner().results_name_question().second_question();
  for (const auto &block : blocks) {
    console.keyboard_prompt().block(block);
  }
  return console.keyboard_prompt().stopped();
}

ConsoleText data_run_console(const std::vector<ResultBlock> &blocks, bool results) {
  ConsoleText console;
  console.banner();
  if (results) {
    console.results_name_question();
  }
  console.second_question().data_name_question().data_prompt();
  for (const auto &block : blocks) {
    console.block(block);
  }
  return console;
}

std::string data_run(const std::vector<ResultBlock> &blocks, bool results) {
  return data_run_console(blocks, results).stopped();
}

// The console up to the first keyboard prompt, both answers no.
ConsoleText at_first_keyboard_prompt() {
  ConsoleText console;
  console.banner().second_question().keyboard_prompt();
  return console;
}

std::string rows(const std::vector<std::string> &lines) {
  std::string text = results_header();
  for (const auto &line : lines) {
    text += line;
  }
  return text;
}

// A keyboard record that ends the run with a report at its first value.
Scenario bad_first_value(const std::string &name, const std::string &typed, const std::string &code,
                         const std::string &message) {
  return {.name = name,
          .input = "n\nn\n" + typed + "\n-1/\n",
          .exit_status = 1,
          .out = at_first_keyboard_prompt().failed(),
          .err = read_error(code, "CON", message)};
}

// A keyboard record whose evaluation ends the run with a math report.
Scenario failing_record(const std::string &name, const std::string &typed, const std::string &code,
                        const std::string &message) {
  return {.name = name,
          .input = "n\nn\n" + typed + "\n-1/\n",
          .exit_status = 1,
          .out = at_first_keyboard_prompt().failed(),
          .err = math_error(code, message)};
}

// A keyboard run ended normally with the given blocks, both answers no.
Scenario keyboard_records(const std::string &name, const std::string &typed,
                          const std::vector<ResultBlock> &blocks) {
  return {.name = name, .input = "n\nn\n" + typed, .out = keyboard_run(blocks)};
}

std::vector<Scenario> answers_and_files() {
  const std::string data = "10 5\n3 5\n60 40\n";
  const std::string files_failed = ConsoleText()
                                       .banner()
                                       .results_name_question()
                                       .second_question()
                                       .data_name_question()
                                       .failed();
  return {
      {.name = "BothAnswersNo",
       .input = "n\nn\n1.64 2 10 5\n-1/\n",
       .out = keyboard_run({r_164_2_10_5})},
      {.name = "ResultsFileOnly",
       .input = "Y\nres.txt\nn\n1.64 2 10 5\n1.64 1.5 3 5\n-1/\n",
       .out = keyboard_run_with_results({r_164_2_10_5, known::r_164_15_3_5}),
       .after =
           {{"res.txt",
             rows({"  1.64      2.00     .5841     10.00   5.00   2.00    .96-  3.68  .0318\r\n",
                   results_row("  1.64", "  1.50", "  3.00", "  5.00", known::r_164_15_3_5)})}}},
      {.name = "BothFilesWithLongAnswers",
       .before = {{"data.txt", data}},
       .input = "yes\nres.txt\nYes\ndata.txt\n1.64 2\n",
       .out = data_run({r_164_2_10_5, known::r_164_2_3_5, known::r_164_2_60_40}, true),
       .after = {{"data.txt", data},
                 {"res.txt",
                  rows({row_164_2_10_5(),
                        results_row("  1.64", "  2.00", "  3.00", "  5.00", known::r_164_2_3_5),
                        results_row("  1.64", "  2.00", " 60.00", " 40.00",
                                    known::r_164_2_60_40)})}}},
      {.name = "DataFileOnly",
       .before = {{"data.txt", "10 5\n"}},
       .input = "n\ny\ndata.txt\n1.64 2\n",
       .out = data_run({r_164_2_10_5}, false),
       .after = {{"data.txt", "10 5\n"}}},
      {.name = "LeadingBlankAnswersAreNo",
       .input = " y\n y\n1.64 2 10 5\n-1/\n",
       .out = keyboard_run({r_164_2_10_5})},
      {.name = "OtherAnswersAreNo",
       .input = "N\n\n1.64 2 10 5\n-1/\n",
       .out = keyboard_run({r_164_2_10_5})},
      {.name = "CrLfLineEnds",
       .input = "n\r\nn\r\n1.64 2 10 5\r\n-1/\r\n",
       .out = keyboard_run({r_164_2_10_5})},
      {.name = "ExistingLongerResultsFileIsCut",
       .before = {{"res.txt", std::string(3000, 'x') + "\r\n"}},
       .input = "y\nres.txt\nn\n1.64 2 10 5\n-1/\n",
       .out = keyboard_run_with_results({r_164_2_10_5}),
       .after = {{"res.txt", rows({row_164_2_10_5()})}}},
      {.name = "NameBetweenBlanks",
       .before = {{"data.txt", "10 5\n"}},
       .input = "y\n  my results.txt  \ny\n  data.txt\n1.64 2\n",
       .out = data_run({r_164_2_10_5}, true),
       .after = {{"data.txt", "10 5\n"}, {"my results.txt", rows({row_164_2_10_5()})}}},
      {.name = "SameNameForBothFiles",
       .input = "y\nsame.txt\ny\nsame.txt\n1.64 2\n",
       .exit_status = 1,
       .out = files_failed,
       .err = open_error("F6413", "same.txt", "file already connected to another unit"),
       .after = {{"same.txt", results_header()}}},
      {.name = "SameFileUnderAnotherName",
       .input = "y\nsame.txt\ny\n./same.txt\n1.64 2\n",
       .exit_status = 1,
       .out = files_failed,
       .err = open_error("F6413", "./same.txt", "file already connected to another unit"),
       .after = {{"same.txt", results_header()}}},
      {.name = "MissingDataFile",
       .input = "n\ny\nmissing.txt\n1.64 2\n",
       .exit_status = 1,
       .out = ConsoleText().banner().second_question().data_name_question().failed(),
       .err = open_error("F6416", "missing.txt", "file not found")},
      {.name = "MissingDataFileKeepsResultsHeader",
       .input = "y\nres.txt\ny\nmissing.txt\n1.64 2\n",
       .exit_status = 1,
       .out = files_failed,
       .err = open_error("F6416", "missing.txt", "file not found"),
       .after = {{"res.txt", results_header()}}},
  };
}

std::vector<Scenario> keyboard_reads() {
  using namespace known;
  return {
      keyboard_records("ValuesOnFourLines", "1.64\n2\n10\n5\n-1/\n", {r_164_2_10_5}),
      keyboard_records("ValuesBetweenCommas", "1.64,2,10,5\n-1/\n", {r_164_2_10_5}),
      keyboard_records("MixedSeparators", "1.64 , 2,10 5\n-1/\n", {r_164_2_10_5}),
      keyboard_records("TabsSeparate", "1.64\t2\t10\t5\n-1/\n", {r_164_2_10_5}),
      keyboard_records("ValueAfterTheFourthIsSkipped", "1.64 2 10 5 99\n-1/\n", {r_164_2_10_5}),
      keyboard_records("EmptyLineInsideRecord", "1.64 2 10\n\n5\n-1/\n", {r_164_2_10_5}),
      keyboard_records("NullValuesKeepThePreviousRecord", "1.64 1.5 3 5\n,2,10,5\n-1/\n",
                       {r_164_15_3_5, r_164_2_10_5}),
      keyboard_records("NullsInSeveralPlaces", "1.64 2 10 5\n,,,10\n-1/\n",
                       {r_164_2_10_5, r_164_2_10_10}),
      keyboard_records("RepeatCount", "4*0.5\n-1/\n", {r_05_05_05_05}),
      keyboard_records("RepeatedNull", "1.64 2 10 5\n1.64 2* 10\n-1/\n",
                       {r_164_2_10_5, r_164_2_10_10}),
      keyboard_records("SlashKeepsTheRest", "1.64 2 10 5\n1.64 2 3/\n-1/\n",
                       {r_164_2_10_5, r_164_2_3_5}),
      keyboard_records("ExponentForms",
                       "1.64 2 1e1 5\n1.64 2 1d1 .5e1\n1.64 2 1+1 50-1\n1.64,2,1.E1,5.\n-1/\n",
                       {r_164_2_10_5, r_164_2_10_5, r_164_2_10_5, r_164_2_10_5}),
      keyboard_records("ZalphaZeroIsEvaluated", "0 2 10 5\n-1/\n", {r_0_2_10_5}),
      {.name = "NegativeZeroZalphaIsEvaluated",
       .input = "y\nres.txt\nn\n-0 2 10 5\n-1/\n",
       .out = keyboard_run_with_results({r_0_2_10_5}),
       .after = {{"res.txt",
                  rows({results_row("   .00", "  2.00", " 10.00", "  5.00", r_0_2_10_5)})}}},
      keyboard_records("NegativeZalphaStopsWithoutABlock", "-0.5 2 10 5\n", {}),
      keyboard_records("NegativeZalphaAloneWaitsForTheOtherValues", "-1\n2 10 5\n", {}),
      {.name = "NegativeZalphaAloneThenEndOfInput",
       .input = "n\nn\n-1\n",
       .exit_status = 1,
       .out = at_first_keyboard_prompt().failed(),
       .err = end_of_console_input()},
      {.name = "CtrlZLineEndsTheInput",
       .input = "n\nn\n1.64 2 10 5\n" + ctrl_z + "\n-1/\n",
       .exit_status = 1,
       .out = ConsoleText()
                  .banner()
                  .second_question()
                  .keyboard_prompt()
                  .block(r_164_2_10_5)
                  .keyboard_prompt()
                  .failed(),
       .err = end_of_console_input()},
      {.name = "CtrlZLastOnItsLineIsNotRead",
       .input = "n\nn\n-1/" + ctrl_z + "\n",
       .exit_status = 1,
       .out = at_first_keyboard_prompt().failed(),
       .err = end_of_console_input()},
      {.name = "CtrlZInsideALineIsOrdinary",
       .input = "n" + ctrl_z + "z\nn\n1.64 2 10 5 " + ctrl_z + "x\n-1/\n",
       .out = keyboard_run({r_164_2_10_5})},
      // From a pipe a line ends only at its line feed, however long it is: the rest of a long
      // line is skipped as a whole, and no length limit applies.
      {.name = "LongPipedLinesAreWhole",
       .input =
           "n" + std::string(300, 'y') + "\nn\n1.64 2 10 5" + std::string(300, ' ') + "99\n-1/\n",
       .out = keyboard_run({r_164_2_10_5})},
      bad_first_value("SemicolonIsNotASeparator", "1;5 2 10 5", "F6103", "invalid real"),
      bad_first_value("LetterAfterANumber", "1.5x 2 10 5", "F6103", "invalid real"),
      bad_first_value("CharacterString", "'a' 2 10 5", "F6504",
                      "character or complex value where a real is expected"),
      bad_first_value("ZeroRepeatCount", "0*1 2 10 5", "F6502", "zero repeat count"),
      bad_first_value("TwoRepeatCounts", "2*3*4 10 5", "F6503",
                      "more than one repeat count in a value"),
      bad_first_value("RepeatCountNotAnInteger", "1.5*2 10 5", "F6101",
                      "repeat count not an integer"),
      bad_first_value("BeyondTheLargestSingle", "1e39 2 10 5", "F6104", "real value out of range"),
      bad_first_value("BeyondTheLargestDouble", "1e400 2 10 5", "F6102", "real value too large"),
  };
}

// Data-file runs with a results file: Zalpha 1.64 and theoretical SMR 2 typed once.
Scenario data_file_run(const std::string &name, const std::string &data,
                       const std::vector<ResultBlock> &blocks, const std::string &results) {
  return {.name = name,
          .before = {{"data.txt", data}},
          .input = "y\nres.txt\ny\ndata.txt\n1.64 2\n",
          .out = data_run(blocks, true),
          .after = {{"data.txt", data}, {"res.txt", results}}};
}

// The same, ended by a report at an unreadable value of the data file.
Scenario data_file_failure(const std::string &name, const std::string &data,
                           const std::vector<ResultBlock> &blocks, const std::string &results) {
  Scenario scenario = data_file_run(name, data, blocks, results);
  scenario.exit_status = 1;
  scenario.out = data_run_console(blocks, true).failed();
  scenario.err = read_error("F6103", "data.txt", "invalid real");
  return scenario;
}

std::vector<Scenario> data_files() {
  using namespace known;
  const std::string row_3_5 = results_row("  1.64", "  2.00", "  3.00", "  5.00", r_164_2_3_5);
  std::string forty_pairs;
  std::string forty_rows;
  std::vector<ResultBlock> forty_blocks;
  for (int i = 0; i < 40; ++i) {
    forty_pairs += "10 5\n";
    forty_rows += row_164_2_10_5();
    forty_blocks.push_back(r_164_2_10_5);
  }
  Scenario negative_zalpha =
      data_file_run("NegativeZalphaReadsOnePairAndStops", "10 5\n3 5\n", {}, results_header());
  negative_zalpha.input = "y\nres.txt\ny\ndata.txt\n-1 2\n";
  return {
      data_file_run("EmptyDataFile", "", {}, results_header()),
      data_file_run("LastLineHoldsOnlyO", "10 5\n12\n", {r_164_2_10_5}, rows({row_164_2_10_5()})),
      data_file_run("ThreeValuesOnALine", "10 5 7\n3 5\n", {r_164_2_10_5, r_164_2_3_5},
                    rows({row_164_2_10_5(), row_3_5})),
      data_file_run("PairOverTwoLines", "10\n5\n3,5\n", {r_164_2_10_5, r_164_2_3_5},
                    rows({row_164_2_10_5(), row_3_5})),
      data_file_run("NoLineEndAfterTheLastPair", "10 5\n3 5", {r_164_2_10_5, r_164_2_3_5},
                    rows({row_164_2_10_5(), row_3_5})),
      data_file_run("NullKeepsThePreviousO", "12 5\n,8.4\n", {r_164_2_12_5, r_164_2_12_84},
                    rows({results_row("  1.64", "  2.00", " 12.00", "  5.00", r_164_2_12_5),
                          results_row("  1.64", "  2.00", " 12.00", "  8.40", r_164_2_12_84)})),
      data_file_run("SlashKeepsThePreviousE", "10 5\n12/\n", {r_164_2_10_5, r_164_2_12_5},
                    rows({row_164_2_10_5(),
                          results_row("  1.64", "  2.00", " 12.00", "  5.00", r_164_2_12_5)})),
      data_file_run("LongLineSkippedToItsEnd", "10 5" + std::string(2000, ' ') + "7\n3 5\n",
                    {r_164_2_10_5, r_164_2_3_5}, rows({row_164_2_10_5(), row_3_5})),
      data_file_run("ResultsBeyondOneBuffer", forty_pairs, forty_blocks,
                    results_header() + forty_rows),
      negative_zalpha,
      data_file_failure("ValueThatIsNotANumber", "10 5\nabc 5\n3 5\n", {r_164_2_10_5},
                        rows({row_164_2_10_5()})),
      data_file_failure("CtrlZAtTheEnd", "10 5\r\n3 5\r\n" + ctrl_z, {r_164_2_10_5, r_164_2_3_5},
                        rows({row_164_2_10_5(), row_3_5})),
  };
}

std::vector<Scenario> blank_names() {
  return {
      {.name = "BlankNamesTakeTheArguments",
       .before = {{"b.txt", "10 5\n"}},
       .input = "y\n\ny\n\n1.64 2\n",
       .args = {"a.txt", "b.txt"},
       .out = data_run({r_164_2_10_5}, true),
       .after = {{"a.txt", rows({row_164_2_10_5()})}, {"b.txt", "10 5\n"}}},
      {.name = "TypedNameLeavesTheArgument",
       .before = {{"d.txt", "10 5\n"}},
       .input = "y\nres.txt\ny\n\n1.64 2\n",
       .args = {"d.txt"},
       .out = data_run({r_164_2_10_5}, true),
       .after = {{"d.txt", "10 5\n"}, {"res.txt", rows({row_164_2_10_5()})}}},
      {.name = "BlankResultsNameIsAskedFor",
       .input = "y\n\nres.txt\nn\n1.64 2 10 5\n-1/\n",
       .out = ConsoleText()
                  .banner()
                  .results_name_question()
                  .name_prompt(1)
                  .second_question()
                  .keyboard_prompt()
                  .block(r_164_2_10_5)
                  .keyboard_prompt()
                  .stopped(),
       .after = {{"res.txt", rows({row_164_2_10_5()})}}},
      {.name = "BlankDataNameIsAskedFor",
       .before = {{"data.txt", "10 5\n"}},
       .input = "n\ny\n\ndata.txt\n1.64 2\n",
       .out = ConsoleText()
                  .banner()
                  .second_question()
                  .data_name_question()
                  .name_prompt(15)
                  .data_prompt()
                  .block(r_164_2_10_5)
                  .stopped(),
       .after = {{"data.txt", "10 5\n"}}},
      {.name = "BlankAnswersAskAgain",
       .input = "y\n   \n\n  \nres.txt\nn\n-1/\n",
       .out = ConsoleText()
                  .banner()
                  .results_name_question()
                  .name_prompt(1, 3)
                  .second_question()
                  .keyboard_prompt()
                  .stopped(),
       .after = {{"res.txt", results_header()}}},
      {.name = "BlankArgumentLeadsToThePrompt",
       .input = "y\n\nres.txt\nn\n-1/\n",
       .args = {"   "},
       .out = ConsoleText()
                  .banner()
                  .results_name_question()
                  .name_prompt(1, 1, true)
                  .second_question()
                  .keyboard_prompt()
                  .stopped(),
       .after = {{"res.txt", results_header()}}},
      {.name = "PromptAnswerWithCrLf",
       .input = "y\r\n\r\nres.txt\r\nn\r\n-1/\r\n",
       .out = ConsoleText()
                  .banner()
                  .results_name_question()
                  .name_prompt(1)
                  .second_question()
                  .keyboard_prompt()
                  .stopped(),
       .after = {{"res.txt", results_header()}}},
      {.name = "NameCutAtFortyCharacters",
       .input = "y\n" + std::string(40, 'r') + "IGNORED\nn\n-1/\n",
       .out = keyboard_run_with_results({}),
       .after = {{std::string(40, 'r'), results_header()}}},
      {.name = "EndOfInputAtTheNamePrompt",
       .input = "y\n\n",
       .exit_status = 1,
       .out = ConsoleText().banner().results_name_question().name_prompt(1).failed(),
       .err = end_of_console_input()},
  };
}

// Each console read meeting the end of the input: F6501 READ(CON), status 1. A data file, if
// given, is there before the run and stays unchanged; `results` is the results file left.
Scenario ends_at(const std::string &name, const std::string &input, const ConsoleText &console,
                 const Files &data = {}, const Files &results = {}) {
  Files after = data;
  after.insert(results.begin(), results.end());
  return {.name = name,
          .before = data,
          .input = input,
          .exit_status = 1,
          .out = console.failed(),
          .err = end_of_console_input(),
          .after = after};
}

std::vector<Scenario> end_of_input() {
  const Files data = {{"data.txt", "10 5\n"}};
  return {
      ends_at("AtTheFirstQuestion", "", ConsoleText().banner()),
      ends_at("AtTheResultsName", "y\n", ConsoleText().banner().results_name_question()),
      ends_at("AtTheSecondQuestion", "n\n", ConsoleText().banner().second_question()),
      ends_at("AtTheSecondQuestionWithResultsFile", "y\nres.txt\n",
              ConsoleText().banner().results_name_question().second_question(), {},
              {{"res.txt", results_header()}}),
      ends_at("AtTheDataName", "n\ny\n",
              ConsoleText().banner().second_question().data_name_question()),
      ends_at("AtZalphaOfTheDataRun", "n\ny\ndata.txt\n", data_run_console({}, false), data),
      ends_at("InsideZalphaAndSmrOfTheDataRun", "n\ny\ndata.txt\n1.64\n",
              data_run_console({}, false), data),
      ends_at("AtTheFirstRecord", "n\nn\n", at_first_keyboard_prompt()),
      ends_at("InsideARecord", "n\nn\n1.64 2\n", at_first_keyboard_prompt()),
      ends_at("AfterARecordRowsKept", "y\nres.txt\nn\n1.64 2 10 5\n",
              ConsoleText()
                  .banner()
                  .results_name_question()
                  .second_question()
                  .keyboard_prompt()
                  .block(r_164_2_10_5)
                  .keyboard_prompt(),
              {}, {{"res.txt", rows({row_164_2_10_5()})}}),
  };
}

std::vector<Scenario> statistics() {
  using namespace known;
  return {
      {.name = "WorkedExamples",
       .input = "y\nres.txt\nn\n1.64 2 10 5\n1.64 1.5 3 5\n1.64 2 60 40\n1.64 1 10 5\n"
                "1.96 2 0 2.5\n1.64 2 0 .5\n1.64 2 5.7 5.2\n1.64 2 -.5 4\n0 1 10 5\n-1/\n",
       .out = keyboard_run_with_results({r_164_2_10_5, r_164_15_3_5, r_164_2_60_40, r_164_1_10_5,
                                         r_196_2_0_25, r_164_2_0_05, r_164_2_57_52, r_164_2_m05_4,
                                         r_0_1_10_5}),
       .after = {{"res.txt",
                  rows({row_164_2_10_5(),
                        results_row("  1.64", "  1.50", "  3.00", "  5.00", r_164_15_3_5),
                        results_row("  1.64", "  2.00", " 60.00", " 40.00", r_164_2_60_40),
                        results_row("  1.64", "  1.00", " 10.00", "  5.00", r_164_1_10_5),
                        results_row("  1.96", "  2.00", "   .00", "  2.50", r_196_2_0_25),
                        results_row("  1.64", "  2.00", "   .00", "   .50", r_164_2_0_05),
                        results_row("  1.64", "  2.00", "  5.70", "  5.20", r_164_2_57_52),
                        results_row("  1.64", "  2.00", "  -.50", "  4.00", r_164_2_m05_4),
                        results_row("   .00", "  1.00", " 10.00", "  5.00", r_0_1_10_5)})}}},
      {.name = "ExtremeRecordsPrintNormally",
       .input = "y\nres.txt\nn\n1.64 4 100 100\n20 1 10 5\n1.64 2 0 30\n1.64 2 -3 5\n-1/\n",
       .out = keyboard_run_with_results({r_164_4_100_100, r_20_1_10_5, r_164_2_0_30, r_164_2_m3_5}),
       .after = {{"res.txt",
                  rows({results_row("  1.64", "  4.00", "100.00", "100.00", r_164_4_100_100),
                        results_row(" 20.00", "  1.00", " 10.00", "  5.00", r_20_1_10_5),
                        results_row("  1.64", "  2.00", "   .00", " 30.00", r_164_2_0_30),
                        results_row("  1.64", "  2.00", " -3.00", "  5.00", r_164_2_m3_5)})}}},
      {.name = "ExpectedZeroAfterARecord",
       .input = "y\nres.txt\nn\n1.64 2 10 5\n1.64 2 10 0\n-1/\n",
       .exit_status = 1,
       .out = ConsoleText()
                  .banner()
                  .results_name_question()
                  .second_question()
                  .keyboard_prompt()
                  .block(r_164_2_10_5)
                  .keyboard_prompt()
                  .failed(),
       .err = math_error("M6103", "floating-point error: divide by zero"),
       .after = {{"res.txt", rows({row_164_2_10_5()})}}},
      failing_record("ObservedAndExpectedZero", "1.64 2 0 0", "M6101",
                     "floating-point error: invalid"),
      failing_record("NegativeExpected", "1.64 2 10 -5", "M6201", "sqrt: DOMAIN error"),
      failing_record("NegativeTheoreticalSmr", "1.64 -2 10 5", "M6201", "sqrt: DOMAIN error"),
      failing_record("QuotientBeyondSingle", "1.64 2 1e30 1e-30", "M6104",
                     "floating-point error: overflow"),
      failing_record("HugeCount", "1.64 2 1.1e9 5", "M6101", "floating-point error: invalid"),
      failing_record("HugeNegativeCount", "1.64 2 -1.1e9 5", "M6101",
                     "floating-point error: invalid"),
      failing_record("HugeTruncatedExpected", "1.64 2 1 2e9", "M6101",
                     "floating-point error: invalid"),
  };
}

Files files_in(const WorkDir &dir) {
  Files files;
  for (const auto &entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    files[name] = dir.read(name);
  }
  return files;
}

class PipedRun : public ::testing::TestWithParam<Scenario> {};

TEST_P(PipedRun, LeavesTheExpectedBytes) {
  const Scenario &s = GetParam();
  WorkDir dir;
  for (const auto &[name, contents] : s.before) {
    dir.write(name, contents);
  }
  const RunResult result = run_piped(dir, s.input, s.args);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exit_status, s.exit_status);
  EXPECT_EQ(result.out, s.out);
  EXPECT_EQ(result.err, s.err);
  EXPECT_EQ(files_in(dir), s.after);
}

std::string scenario_name(const ::testing::TestParamInfo<Scenario> &info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Answers, PipedRun, ::testing::ValuesIn(answers_and_files()),
                         scenario_name);
INSTANTIATE_TEST_SUITE_P(KeyboardReads, PipedRun, ::testing::ValuesIn(keyboard_reads()),
                         scenario_name);
INSTANTIATE_TEST_SUITE_P(DataFiles, PipedRun, ::testing::ValuesIn(data_files()), scenario_name);
INSTANTIATE_TEST_SUITE_P(BlankNames, PipedRun, ::testing::ValuesIn(blank_names()), scenario_name);
INSTANTIATE_TEST_SUITE_P(EndOfInput, PipedRun, ::testing::ValuesIn(end_of_input()), scenario_name);
INSTANTIATE_TEST_SUITE_P(Statistics, PipedRun, ::testing::ValuesIn(statistics()), scenario_name);

// The whole console of the usual run, spelled out once byte for byte, so that the helpers
// that build the other expectations are themselves held to the program's output.
TEST(PipedRunBytes, UsualRunWordForWord) {
  WorkDir dir;
  const RunResult result = run_piped(dir, "n\nn\n1.64 2 10 5\n-1/\n");
  const std::string prompt = "\r\n\r\nEnter Zalpha (1.64 for 1 sided), theoretical SMR, observed O "
                             "and E (free format)\r\nTo stop program, enter Zalpha<0";
  EXPECT_EQ(result.out, "Program to calculate approx power for cohort studies\r\n"
                        "using square root transformation for POISSON distributed events.\r\n"
                        "See: Beaumont and Breslow, AJE 114, p725, 1981 for details\r\n"
                        "\r\n"
                        "In addition, exact 95% CIs and exact p-values for the\r\n"
                        "observed SMR will be calculated.\r\n"
                        "Written by Quarrendelsby. Version 1.0, August 1991\r\n"
                        "\r\n"
                        "CTRL C to quit.\r\n"
                        "\r\n"
                        "Do you want to write results to an ASCII file(y/n)?\r\n"
                        " Do you want to read data from an ASCII file(y/n)?" +
                            prompt +
                            "\r\n       SMR and exact 95% C.I.:   2.00(   .96-  3.68)"
                            "\r\n        Exact Poisson p-value:  .0318"
                            "\r\n   Calculated value of Zpower:   .2124"
                            "\r\n                        Power:  .5841" +
                            prompt + "\r\nStop - Program terminated.\r\n\r\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exit_status, 0);
}

} // namespace
} // namespace e2e
