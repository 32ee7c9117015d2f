// The bytes a run of smrpower should leave behind, built from the pieces the program writes:
// console records, result blocks, results-file rows and run-time error reports.
#pragma once

#include <string>

namespace e2e {

// The six results of one record as they are edited for the console and the results file.
struct ResultBlock {
  std::string smr;     // F6.2
  std::string lower;   // F6.2
  std::string upper;   // F6.2
  std::string p_value; // F6.4
  std::string zpower;  // F7.4
  std::string power;   // F6.4
};

// Records worked out by hand; the name gives Zalpha, theoretical SMR, O and E.
namespace known {
// 1.64 2 10 5: smr 2, limits 0.96 and 3.678, p 0.0318, Zpower 0.2124, power 0.5841.
inline const ResultBlock r_164_2_10_5{"  2.00", "   .96", "  3.68", " .0318", "  .2124", " .5841"};
// 1.64 1.5 3 5: the reversed p-value direction.
inline const ResultBlock r_164_15_3_5{"   .60", "   .12", "  1.75", " .1847", "  .6349", " .2627"};
// 1.64 2 3 5
inline const ResultBlock r_164_2_3_5{"   .60", "   .12", "  1.75", " .1847", "  .2124", " .5841"};
// 1.64 2 60 40: counts above 30, the logarithmic sum of the p-value.
inline const ResultBlock r_164_2_60_40{"  1.50", "  1.14", "  1.93", " .0019", " 3.5994", " .9998"};
// 1.64 1 10 5: Zpower equals Zalpha.
inline const ResultBlock r_164_1_10_5{"  2.00", "   .96", "  3.68", " .0318", " 1.6400", " .0505"};
// 1.96 2 0 2.5: no events.
inline const ResultBlock r_196_2_0_25{"   .00", "   .00", "  1.48", " .0000", "  .6501", " .2578"};
// 1.64 2 0 .5: the truncated E is 0, p-value 1.
inline const ResultBlock r_164_2_0_05{"   .00", "   .00", "  7.38", "1.0000", " 1.0542", " .1459"};
// 1.64 2 5.7 5.2: the truncated count 5 lies below E.
inline const ResultBlock r_164_2_57_52{"  1.10", "   .31", "  2.24", " .6728", "  .2491", " .5984"};
// 1.64 2 -.5 4: a negative mean gives the p-value 2.
inline const ResultBlock r_164_2_m05_4{"  -.13", "   .00", "   .92", "2.0000", "  .0169", " .5067"};
// 1.64 4 100 100: Zpower -18.36, beyond the series' range: power 1.
inline const ResultBlock r_164_4_100_100{"  1.00", "   .81",  "  1.22",
                                         " .5133", "18.3600", "1.0000"};
// 20 1 10 5: Zpower 20: power 0.
inline const ResultBlock r_20_1_10_5{"  2.00", "   .96", "  3.68", " .0318", "20.0000", " .0000"};
// 1.64 2 0 30: no events against E of 26 or more: p-value 0.
inline const ResultBlock r_164_2_0_30{"   .00", "   .00", "   .12", " .0000", " 2.8975", " .9981"};
// 1.64 2 -3 5: a negative count leaves both limits unset (1.0e8, too wide for F6.2).
inline const ResultBlock r_164_2_m3_5{"  -.60", "******", "******", "2.0000", "  .2124", " .5841"};
// .5 .5 .5 .5
inline const ResultBlock r_05_05_05_05{"  1.00", "   .00", "  7.38", "1.0000", "  .9142", " .1803"};
// 1.64 2 10 10
inline const ResultBlock r_164_2_10_10{"  1.00", "   .48", "  1.84", " .5421", "  .9797", " .8364"};
// 0 2 10 5: Zalpha 0 is evaluated.
inline const ResultBlock r_0_2_10_5{"  2.00", "   .96", "  3.68", " .0318", " 1.8524", " .9680"};
// 0 1 10 5: Zpower exactly 0, power one half.
inline const ResultBlock r_0_1_10_5{"  2.00", "   .96", "  3.68", " .0318", "  .0000", " .5000"};
// 1.64 2 12 8.4
inline const ResultBlock r_164_2_12_84{"  1.43", "   .74", "  2.50", " .1429", "  .7610", " .7767"};
// 1.64 2 12 5
inline const ResultBlock r_164_2_12_5{"  2.40", "  1.24", "  4.19", " .0055", "  .2124", " .5841"};
} // namespace known

// What the console shows, record by record. Every console record begins with its advance
// character (a blank for all of the program's records), so a record is given here as the line
// the user sees. The line end of the last record shown is owed: it is written before the next
// record, before a read when the console is a terminal, or at the end of the run.
class ConsoleText {
public:
  // terminal: standard input and output are one interactive terminal.
  explicit ConsoleText(bool terminal = false) : terminal_(terminal) {}

  ConsoleText &line(const std::string &shown);
  // A console read that finishes its line.
  ConsoleText &read();
  // A console read that ends the run before it finishes its line.
  ConsoleText &read_failed();
  // Bytes written past the record editing (the blank-name prompt).
  ConsoleText &raw(const std::string &bytes);

  ConsoleText &banner(); // ends with the first question
  ConsoleText &results_name_question();
  ConsoleText &second_question();
  ConsoleText &data_name_question();
  ConsoleText &data_prompt();
  ConsoleText &keyboard_prompt();
  ConsoleText &block(const ResultBlock &results);
  // The blank-name prompt, asked `times` times. A name taken from a blank command-line
  // argument goes to the prompt without settling the owed line end first.
  ConsoleText &name_prompt(int unit, int times = 1, bool after_blank_argument = false);

  // The whole output: the run ended by the termination line, or by a run-time error report.
  std::string stopped() const;
  std::string failed() const;
  const std::string &so_far() const { return text_; }

private:
  bool terminal_;
  bool line_open_ = false;
  std::string text_;
};

// The results file: header, then one 71-character row per record, CR LF after each line.
std::string results_header();
// zalpha, smr_theor, observed and expected as F6.2 fields.
std::string results_row(const std::string &zalpha, const std::string &smr_theor,
                        const std::string &observed, const std::string &expected,
                        const ResultBlock &results);
// The row of the usual record 1.64 2 10 5.
std::string row_164_2_10_5();

// Run-time error reports on standard error.
std::string read_error(const std::string &code, const std::string &unit,
                       const std::string &message);
std::string open_error(const std::string &code, const std::string &name,
                       const std::string &message);
std::string math_error(const std::string &code, const std::string &message);
std::string end_of_console_input(); // F6501 READ(CON)

} // namespace e2e
