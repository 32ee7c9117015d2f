// Runs of smrpower on a pseudo-terminal, standard input and output both on it: the screen a
// user sees, and in raw mode the program's exact bytes, above all the last ones.
#include "e2e_support.hpp"
#include "expected_text.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace e2e {
namespace {

using namespace std::chrono_literals;

bool ends_with(const std::string &text, const std::string &end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Types lines into a session, each one only once the program waits for it: its question has
// been shown, with the line end the program writes before a terminal read.
class Typist {
public:
  explicit Typist(PtySession &session) : session_(session) {}

  // Waits for output, new since the last line typed, that ends with the question and the line
  // end before the read (CR LF, or CR CR LF when the terminal turns LF into CR LF).
  ::testing::AssertionResult waits_after(const std::string &question) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
      const std::string &bytes = session_.screen_bytes();
      if (bytes.size() > mark_ &&
          (ends_with(bytes, question + "\r\n") || ends_with(bytes, question + "\r\r\n"))) {
        return ::testing::AssertionSuccess();
      }
      if (std::chrono::steady_clock::now() > deadline) {
        return ::testing::AssertionFailure()
               << "no read after \"" << question << "\"; the terminal shows:\n"
               << bytes;
      }
      session_.wait_for("\x01 (never written)", 20ms); // collects what arrives meanwhile
    }
  }

  // Waits for output ending with the text without a read after it (the blank-name prompt).
  ::testing::AssertionResult waits_at(const std::string &text) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
      const std::string &bytes = session_.screen_bytes();
      if (bytes.size() > mark_ && ends_with(bytes, text)) {
        return ::testing::AssertionSuccess();
      }
      if (std::chrono::steady_clock::now() > deadline) {
        return ::testing::AssertionFailure() << "no \"" << text << "\"; the terminal shows:\n"
                                             << bytes;
      }
      session_.wait_for("\x01 (never written)", 20ms);
    }
  }

  void type(const std::string &line) {
    mark_ = session_.screen_bytes().size();
    session_.type_line(line);
  }

  // Answers each question of the script in turn with its line.
  ::testing::AssertionResult
  answers(const std::vector<std::pair<std::string, std::string>> &script) {
    for (const auto &[question, line] : script) {
      if (auto waited = waits_after(question); !waited) {
        return waited;
      }
      type(line);
    }
    return ::testing::AssertionSuccess();
  }

  // A line whose last character is Ctrl-Z, typed after the literal-next key so that the
  // terminal passes it on instead of taking it as its suspend key.
  void type_ending_in_ctrl_z(const std::string &before) {
    mark_ = session_.screen_bytes().size();
    session_.send_bytes(before + "\x16\x1a\r");
  }

private:
  PtySession &session_;
  std::size_t mark_ = 0;
};

const std::string first_question = "Do you want to write results to an ASCII file(y/n)?";
const std::string second_question = " Do you want to read data from an ASCII file(y/n)?";
const std::string keyboard_prompt_end = "To stop program, enter Zalpha<0";
const std::string data_prompt_end =
    "Enter Zalpha (1.64 for 1 sided), theoretical SMR, Observed O and E in input file in free "
    "format\r\n";

// Both answers no, the record 1.64 2 10 5, then -1/.
const std::vector<std::pair<std::string, std::string>> keyboard_run{
    {first_question, "n"},
    {second_question, "n"},
    {keyboard_prompt_end, "1.64 2 10 5"},
    {keyboard_prompt_end, "-1/"}};

// The data file data.txt, with Zalpha 1.64 and theoretical SMR 2.
const std::vector<std::pair<std::string, std::string>> data_file_run{
    {first_question, "n"},
    {second_question, "y"},
    {"Enter input file name", "data.txt"},
    {data_prompt_end, "1.64 2"}};

TEST(TerminalRun, ShowsTheWholeRunAsTheUserSeesIt) {
  WorkDir dir;
  PtySession session(dir, false);
  Typist user(session);
  ASSERT_TRUE(user.answers(keyboard_run));
  const RunResult result = session.finish();

  const std::vector<std::string> screen{
      "Program to calculate approx power for cohort studies",
      "using square root transformation for POISSON distributed events.",
      "See: Beaumont and Breslow, AJE 114, p725, 1981 for details",
      "",
      "In addition, exact 95% CIs and exact p-values for the",
      "observed SMR will be calculated.",
      "Written by Quarrendelsby. Version 1.0, August 1991",
      "",
      "CTRL C to quit.",
      "",
      "Do you want to write results to an ASCII file(y/n)?",
      "n",
      " Do you want to read data from an ASCII file(y/n)?",
      "n",
      "",
      "Enter Zalpha (1.64 for 1 sided), theoretical SMR, observed O and E (free format)",
      "To stop program, enter Zalpha<0",
      "1.64 2 10 5",
      "       SMR and exact 95% C.I.:   2.00(   .96-  3.68)",
      "        Exact Poisson p-value:  .0318",
      "   Calculated value of Zpower:   .2124",
      "                        Power:  .5841",
      "",
      "Enter Zalpha (1.64 for 1 sided), theoretical SMR, observed O and E (free format)",
      "To stop program, enter Zalpha<0",
      "-1/",
      "Stop - Program terminated.",
  };
  EXPECT_EQ(render_screen(result.out), screen);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exit_status, 0);
}

TEST(TerminalRun, KeyboardModeEndsWithOneLineEnd) {
  WorkDir dir;
  PtySession session(dir, true);
  Typist user(session);
  ASSERT_TRUE(user.answers(keyboard_run));
  const RunResult result = session.finish();

  EXPECT_TRUE(ends_with(result.out, "Zalpha<0\r\nStop - Program terminated.\r\n"));
  EXPECT_EQ(result.out, ConsoleText(true)
                            .banner()
                            .read()
                            .second_question()
                            .read()
                            .keyboard_prompt()
                            .read()
                            .block(known::r_164_2_10_5)
                            .keyboard_prompt()
                            .read()
                            .stopped());
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exit_status, 0);
}

// In data-file mode the last result block leaves its line open: the console ends with CR LF,
// the termination line, CR LF, CR LF. Without a record evaluated, the last console action is
// the read of Zalpha and the theoretical SMR, which ends its line: the termination line follows
// with one line end.
TEST(TerminalRun, DataFileModeLastBytes) {
  struct Case {
    std::string data;
    std::vector<ResultBlock> blocks;
    std::string ending;
  };
  const std::vector<Case> cases{
      {"10 5\n3 5\n",
       {known::r_164_2_10_5, known::r_164_2_3_5},
       "Power:  .5841\r\nStop - Program terminated.\r\n\r\n"},
      {"", {}, "free format\r\n\r\nStop - Program terminated.\r\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.data);
    WorkDir dir;
    dir.write("data.txt", c.data);
    PtySession session(dir, true);
    Typist user(session);
    ASSERT_TRUE(user.answers(data_file_run));
    const RunResult result = session.finish();

    ConsoleText expected(true);
    expected.banner()
        .read()
        .second_question()
        .read()
        .data_name_question()
        .read()
        .data_prompt()
        .read();
    for (const ResultBlock &block : c.blocks) {
      expected.block(block);
    }
    EXPECT_TRUE(ends_with(result.out, c.ending));
    EXPECT_EQ(result.out, expected.stopped());
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exit_status, 0);
  }
}

// The answer to the blank-name prompt leaves the console's line state alone: the typed line
// has already moved the cursor, so the next question follows without a line end of its own.
TEST(TerminalRun, BlankNamePromptTakesTheTypedAnswer) {
  WorkDir dir;
  PtySession session(dir, true);
  Typist user(session);
  ASSERT_TRUE(user.waits_after(first_question));
  user.type("y");
  ASSERT_TRUE(user.waits_after("Enter output file name (file to be overwritten)"));
  user.type("");
  ASSERT_TRUE(user.waits_at("UNIT 1? "));
  user.type("res.txt");
  ASSERT_TRUE(user.waits_after(second_question));
  user.type("n");
  ASSERT_TRUE(user.waits_after(keyboard_prompt_end));
  user.type("-1/");
  const RunResult result = session.finish();

  EXPECT_EQ(result.out, ConsoleText(true)
                            .banner()
                            .read()
                            .results_name_question()
                            .read()
                            .name_prompt(1)
                            .second_question()
                            .read()
                            .keyboard_prompt()
                            .read()
                            .stopped());
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(dir.read("res.txt"), results_header());
}

TEST(TerminalRun, LineOf131CharactersIsTooLong) {
  WorkDir dir;
  PtySession session(dir, true);
  Typist user(session);
  ASSERT_TRUE(user.waits_after(first_question));
  user.type(std::string(131, 'y'));
  const RunResult result = session.finish();

  EXPECT_EQ(result.out, ConsoleText(true).banner().read_failed().failed());
  EXPECT_EQ(result.err, read_error("F6407", "CON", "input line too long"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_FALSE(dir.exists("res.txt"));
}

// 130 characters is the longest line a read takes; a line whose last character is Ctrl-Z ends
// the input, and what stands before it on the line is not read.
TEST(TerminalRun, LineOf130CharactersIsReadAndCtrlZEndsTheInput) {
  WorkDir dir;
  PtySession session(dir, true);
  Typist user(session);
  ASSERT_TRUE(user.waits_after(first_question));
  user.type(std::string(130, 'n'));
  ASSERT_TRUE(user.waits_after(second_question));
  user.type_ending_in_ctrl_z("y");
  const RunResult result = session.finish();

  EXPECT_EQ(result.out, ConsoleText(true).banner().read().second_question().read_failed().failed());
  EXPECT_EQ(result.err, end_of_console_input());
  EXPECT_EQ(result.exit_status, 1);
}

TEST(TerminalRun, CtrlZAloneOnALineEndsTheInput) {
  WorkDir dir;
  PtySession session(dir, true);
  Typist user(session);
  ASSERT_TRUE(user.waits_after(first_question));
  user.type("n");
  ASSERT_TRUE(user.waits_after(second_question));
  user.type("n");
  ASSERT_TRUE(user.waits_after(keyboard_prompt_end));
  user.type_ending_in_ctrl_z("");
  const RunResult result = session.finish();

  EXPECT_EQ(result.out, ConsoleText(true)
                            .banner()
                            .read()
                            .second_question()
                            .read()
                            .keyboard_prompt()
                            .read_failed()
                            .failed());
  EXPECT_EQ(result.err, end_of_console_input());
  EXPECT_EQ(result.exit_status, 1);
}

} // namespace
} // namespace e2e
