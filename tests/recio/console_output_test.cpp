// Console presentation: the advance character, the owed line end, and the line discipline
// around console reads, with the console redirected (separate input and output records) and
// on a terminal (one record for both directions).
#include "output_test_support.hpp"
#include "recio/output.hpp"

#include <string>
#include <vector>

namespace recio_test {
namespace {

constexpr const char *question_layout = "(' Do you want to write results to an ASCII file(y/n)?')";
constexpr const char *data_question = " Do you want to read data from an ASCII file(y/n)?";
constexpr const char *keyboard_prompt_layout =
    "(/,' Enter Zalpha (1.64 for 1 sided), theoretical SMR,',' observed O and E (free "
    "format)',/,' To stop program, enter Zalpha<0')";
constexpr const char *result_block_layout =
    "('        SMR and exact 95% C.I.: ',F6.2,'(',F6.2,'-',F6.2,')',/,'         Exact Poisson "
    "p-value: ',F6.4,/,'    Calculated value of Zpower: ',F7.4,/,'                         "
    "Power: ',F6.4)";
const std::vector<float> result_values{2.0f, 0.96f, 3.678f, 0.0318f, 0.2124f, 0.5841f};

const std::string shown_question = "Do you want to write results to an ASCII file(y/n)?";
const std::string shown_data_question = " Do you want to read data from an ASCII file(y/n)?";
const std::string shown_prompt = "Enter Zalpha (1.64 for 1 sided), theoretical SMR, observed O "
                                 "and E (free format)\r\nTo stop program, enter Zalpha<0";
const std::string shown_result_block = "       SMR and exact 95% C.I.:   2.00(   .96-  3.68)\r\n"
                                       "        Exact Poisson p-value:  .0318\r\n"
                                       "   Calculated value of Zpower:   .2124\r\n"
                                       "                        Power:  .5841";

void write_to_console(const char *layout, const std::vector<float> &values = {}) {
  recio::write_edited(recio::console, layout, values);
}

// What a console read does to the output side when it takes and finishes one line.
void read_one_console_line() {
  recio::settle_console_line_before_read();
  recio::console_line_finished_by_read();
}

// The dialogue's first record and the end of the run, with the console reads between.
void run_short_session() {
  write_to_console(question_layout);
  read_one_console_line();
  recio::write_free(recio::console, data_question);
  read_one_console_line();
  write_to_console(keyboard_prompt_layout);
  read_one_console_line();
  write_to_console(result_block_layout, result_values);
  write_to_console(keyboard_prompt_layout);
  read_one_console_line();
  EXPECT_THROW(recio::stop_run(), RunEnded);
}

class OutputConsole : public RecioTest {};

TEST_F(OutputConsole, FirstRecordHasNoLineEndBeforeItAndEachLaterOneHas) {
  RedirectedConsole console;
  write_to_console("(' first',/,' second')");
  EXPECT_EQ(console.text(), "first\r\nsecond");
  write_to_console("(' third')");
  EXPECT_EQ(console.text(), "first\r\nsecond\r\nthird");
  EXPECT_TRUE(recio::console_output_record().line_open);
}

struct AdvanceCase {
  const char *layout;
  std::string with_line_closed;
  std::string with_line_open; // after a record showing "a"
};

TEST_F(OutputConsole, AdvanceCharacterChoosesWhatGoesBeforeTheRecord) {
  const AdvanceCase cases[] = {
      {"(' text')", "text", "a\r\ntext"},
      {"('0text')", "\r\ntext", "a\r\n\r\ntext"},
      {"('1text')", "\r\n\f\r \rtext", "a\r\n\f\r \rtext"},
      {"('+text')", "\rtext", "a\rtext"},
      {"('xtext')", "text", "a\r\ntext"}, // any other character acts as a blank
      {"()", "", "a\r\n"},                // an empty record acts as one blank
      {"(' ')", "", "a\r\n"},
  };
  for (const AdvanceCase &c : cases) {
    SCOPED_TRACE(c.layout);
    {
      RedirectedConsole console;
      write_to_console(c.layout);
      EXPECT_EQ(console.text(), c.with_line_closed);
      EXPECT_TRUE(recio::console_output_record().line_open);
    }
    RedirectedConsole console;
    write_to_console("(' a')");
    write_to_console(c.layout);
    EXPECT_EQ(console.text(), c.with_line_open);
  }
}

TEST_F(OutputConsole, ReadOnRedirectedConsoleLeavesTheOwedLineEndForTheNextRecord) {
  RedirectedConsole console;
  write_to_console("(' Question?')");
  recio::settle_console_line_before_read();
  EXPECT_EQ(console.text(), "Question?");
  recio::console_line_finished_by_read();
  EXPECT_TRUE(recio::console_output_record().line_open);
  write_to_console("(' Next')");
  EXPECT_EQ(console.text(), "Question?\r\nNext");
}

TEST_F(OutputConsole, ResultBlockShowsFourLinesWithoutTheirFirstColumn) {
  RedirectedConsole console;
  write_to_console(result_block_layout, result_values);
  EXPECT_EQ(console.text(), shown_result_block);
}

TEST_F(OutputConsole, WholeSessionWhenRedirected) {
  RedirectedConsole console;
  run_short_session();
  EXPECT_EQ(console.text(), shown_question + "\r\n" + shown_data_question + "\r\n\r\n" +
                                shown_prompt + "\r\n" + shown_result_block + "\r\n\r\n" +
                                shown_prompt + "\r\nStop - Program terminated.\r\n");
}

TEST_F(OutputConsole, LongRecordIsShownInPiecesOfOneLine) {
  RedirectedConsole console;
  std::string text;
  for (int index = 0; index < 400; ++index) {
    text += static_cast<char>('a' + index % 26);
  }
  const std::string layout = "(' " + text + "',/,' next')";
  write_to_console(layout.c_str());
  EXPECT_EQ(console.text(), text + "\r\nnext");
}

TEST_F(OutputConsole, MoveBackIntoAPieceAlreadyShownCannotChangeIt) {
  RedirectedConsole console;
  // Pieces of 132 columns: 1-132 and 133-264 are shown once column 300 is written.
  write_to_console("(' ',T300,'z',T280,'Y',T150,'P',T5,'Q')");
  std::string shown(299, ' ');
  shown[278] = 'Y';
  shown[298] = 'z';
  EXPECT_EQ(console.text(), shown);
}

TEST_F(OutputConsole, ConsoleDeviceUnitSharesTheConsoleLine) {
  RedirectedConsole console;
  recio::UnitRecord &unit = connect_file_unit(1, "/dev/null", "CON");
  unit.kind = recio::UnitKind::console;
  unit.is_console_device = true;
  write_to_console("(' a')");
  const float row[] = {1.64f, 2.0f};
  recio::write_edited(1, "(F6.2,T11,F6.2)", row);
  EXPECT_EQ(console.text(), "a\r\n 1.64      2.00");
  recio::close_unit(1, "keep");
  EXPECT_EQ(console.text(), "a\r\n 1.64      2.00"); // the console's line stays open
}

TEST_F(OutputConsole, DeviceUnitKeepsItsOwnLine) {
  RedirectedConsole console;
  ScratchFd device;
  recio::UnitRecord &unit = connect_file_unit(2, "/dev/null", "ERR");
  unit.kind = recio::UnitKind::console;
  unit.output_handle = device.fd();
  write_to_console("(' a')");
  recio::write_edited(2, "(' b',/,'0c')", {});
  EXPECT_EQ(device.text(), "b\r\n\r\nc");
  EXPECT_TRUE(unit.line_open);
  recio::close_unit(2, "keep");
  EXPECT_EQ(device.text(), "b\r\n\r\nc\r\n");
  EXPECT_EQ(console.text(), "a");
}

class OutputTerminal : public RecioTest {};

TEST_F(OutputTerminal, ReadWritesTheOwedLineEndAndFinishingItsLineClearsIt) {
  TerminalConsole terminal;
  ASSERT_FALSE(recio::console_output_is_separate);
  write_to_console("(' Question?')");
  recio::settle_console_line_before_read();
  EXPECT_TRUE(recio::console_output_record().line_open); // until the read finishes its line
  recio::console_line_finished_by_read();
  EXPECT_FALSE(recio::console_output_record().line_open);
  recio::settle_console_line_before_read(); // no line open: nothing
  write_to_console("(' Next')");
  EXPECT_EQ(terminal.take_text(), "Question?\r\nNext");
}

TEST_F(OutputTerminal, EmptyRecordRightAfterAReadShowsOneEmptyLine) {
  TerminalConsole terminal;
  write_to_console("(' Question?')");
  read_one_console_line();
  write_to_console("(/,' Enter')");
  EXPECT_EQ(terminal.take_text(), "Question?\r\n\r\nEnter");
}

TEST_F(OutputTerminal, ReadThatEndsWithoutALineLeavesTheLineEndOwedAtTheEnd) {
  TerminalConsole terminal;
  write_to_console("(' Question?')");
  recio::settle_console_line_before_read();
  recio::end_of_run(); // the read met the end of the input; the run ends
  EXPECT_EQ(terminal.take_text(), "Question?\r\n\r\n");
}

TEST_F(OutputTerminal, WholeSessionOnATerminal) {
  TerminalConsole terminal;
  run_short_session();
  // With the typed lines echoed after each question and prompt, this is the dialogue's
  // screen: the user's typing always starts on a line of its own.
  EXPECT_EQ(terminal.take_text(), shown_question + "\r\n" + shown_data_question + "\r\n" + "\r\n" +
                                      shown_prompt + "\r\n" + shown_result_block + "\r\n\r\n" +
                                      shown_prompt + "\r\nStop - Program terminated.\r\n");
}

} // namespace
} // namespace recio_test
