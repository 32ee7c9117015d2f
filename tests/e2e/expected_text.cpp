#include "expected_text.hpp"

namespace e2e {

ConsoleText &ConsoleText::line(const std::string &shown) {
  if (line_open_) {
    text_ += "\r\n";
  }
  text_ += shown;
  line_open_ = true;
  return *this;
}

ConsoleText &ConsoleText::read() {
  // Only a terminal settles the owed line end before it reads; from a pipe the console output
  // keeps its own state.
  if (terminal_) {
    if (line_open_) {
      text_ += "\r\n";
    }
    line_open_ = false;
  }
  return *this;
}

ConsoleText &ConsoleText::read_failed() {
  if (terminal_ && line_open_) {
    text_ += "\r\n"; // settled before the read; the line stays open as the read never ends it
  }
  return *this;
}

ConsoleText &ConsoleText::raw(const std::string &bytes) {
  text_ += bytes;
  return *this;
}

ConsoleText &ConsoleText::banner() {
  return line("Program to calculate approx power for cohort studies")
      .line("using square root transformation for POISSON distributed events.")
      .line("See: Beaumont and Breslow, AJE 114, p725, 1981 for details")
      .line("")
      .line("In addition, exact 95% CIs and exact p-values for the")
      .line("observed SMR will be calculated.")
      .line("Written by Quarrendelsby. Version 1.0, August 1991")
      .line("")
      .line("CTRL C to quit.")
      .line("")
      .line("Do you want to write results to an ASCII file(y/n)?");
}

ConsoleText &ConsoleText::results_name_question() {
  return line("Enter output file name (file to be overwritten)");
}

ConsoleText &ConsoleText::second_question() {
  return line(" Do you want to read data from an ASCII file(y/n)?");
}

ConsoleText &ConsoleText::data_name_question() { return line("Enter input file name"); }

ConsoleText &ConsoleText::data_prompt() {
  return line("")
      .line("Enter Zalpha (1.64 for 1 sided), theoretical SMR, Observed O and E in input file in "
            "free format")
      .line("");
}

ConsoleText &ConsoleText::keyboard_prompt() {
  return line("")
      .line("Enter Zalpha (1.64 for 1 sided), theoretical SMR, observed O and E (free format)")
      .line("To stop program, enter Zalpha<0");
}

ConsoleText &ConsoleText::block(const ResultBlock &r) {
  return line("       SMR and exact 95% C.I.: " + r.smr + "(" + r.lower + "-" + r.upper + ")")
      .line("        Exact Poisson p-value: " + r.p_value)
      .line("   Calculated value of Zpower: " + r.zpower)
      .line("                        Power: " + r.power);
}

ConsoleText &ConsoleText::name_prompt(int unit, int times, bool after_blank_argument) {
  if (line_open_ && !after_blank_argument) {
    text_ += "\r\n";
  }
  for (int i = 0; i < times; ++i) {
    text_ += "File name missing or blank - please enter file name\r\nUNIT " + std::to_string(unit) +
             "? ";
  }
  return *this;
}

std::string ConsoleText::stopped() const {
  std::string out = text_;
  if (line_open_) {
    out += "\r\n";
  }
  out += "Stop - Program terminated.\r\n";
  if (line_open_) {
    out += "\r\n"; // the owed line end stays owed after the termination line
  }
  return out;
}

std::string ConsoleText::failed() const { return line_open_ ? text_ + "\r\n" : text_; }

std::string results_header() {
  return "ZALPHA    SMR(theor) Power    Observed values\r\n" + std::string(31, ' ') +
         "O      E      SMR    95%CI         p\r\n\r\n";
}

std::string results_row(const std::string &zalpha, const std::string &smr_theor,
                        const std::string &observed, const std::string &expected,
                        const ResultBlock &r) {
  return zalpha + "    " + smr_theor + "    " + r.power + "    " + observed + " " + expected + " " +
         r.smr + " " + r.lower + "-" + r.upper + " " + r.p_value + "\r\n";
}

std::string row_164_2_10_5() {
  return results_row("  1.64", "  2.00", " 10.00", "  5.00", known::r_164_2_10_5);
}

std::string read_error(const std::string &code, const std::string &unit,
                       const std::string &message) {
  return "\r\nrun-time error " + code + ": READ(" + unit + ")\r\n- " + message + "\r\n";
}

std::string open_error(const std::string &code, const std::string &name,
                       const std::string &message) {
  return "\r\nrun-time error " + code + ": OPEN(" + name + ")\r\n- " + message + "\r\n";
}

std::string math_error(const std::string &code, const std::string &message) {
  return "\r\nrun-time error " + code + ": MATH\r\n- " + message + "\r\n";
}

std::string end_of_console_input() { return read_error("F6501", "CON", "end of file encountered"); }

} // namespace e2e
