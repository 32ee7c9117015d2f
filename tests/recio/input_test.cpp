// The line discipline of record input: where lines end, the end of the input and the Ctrl-Z
// line, on a terminal, on console input from a pipe or a file, and on a data file; and the
// console answer line of the file-name prompt.
#include "input_test_support.hpp"

#include "recio/input.hpp"
#include "recio/runtime_error.hpp"
#include "recio/units.hpp"

#include <chrono>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace input_test;
using recio::console;
using recio::console_unit;
namespace error_number = recio::error_number;

constexpr float K = kept;
const Four record{1, 2, 3, 4};
const std::string record_line = "1 2 3 4\n";

std::string repeated(const std::string &text, std::size_t times) {
  std::string result;
  for (std::size_t i = 0; i < times; ++i) {
    result += text;
  }
  return result;
}

// Lines of "1 2 3 4", then a last line "5 6 7 8" without its line end, padded with blanks so
// that the whole is `size` bytes.
std::string records_of_exact_size(std::size_t size) {
  const std::string last = "5 6 7 8";
  const std::size_t lines = (size - last.size()) / record_line.size();
  const std::size_t padding = size - last.size() - lines * record_line.size();
  return repeated(record_line, lines) + std::string(padding, ' ') + last;
}

// ---- Console input from a pipe or a file ----

class InputPipeConsole : public InputTest {};

// The last line ends at the end of the input whatever its length, also when the input
// fills whole requests.
TEST_F(InputPipeConsole, LastLineWithoutLineEndFillingWholeRequests) {
  for (const std::size_t size : {132U, 264U, 1024U}) {
    SCOPED_TRACE(size);
    console_reads(records_of_exact_size(size));
    const std::size_t lines = (size - 7) / record_line.size();
    for (std::size_t i = 0; i < lines; ++i) {
      ASSERT_EQ(read_four(), record);
    }
    EXPECT_EQ(read_four(), (Four{5, 6, 7, 8}));
    TearDown();
    SetUp();
  }
}

struct CtrlZCase {
  std::string input;
  int records_read;
  int number; // the report of the read after them
};

void PrintTo(const CtrlZCase &c, std::ostream *os) { *os << shown(c.input); }

class InputPipeConsoleCtrlZ : public InputPipeConsole,
                              public ::testing::WithParamInterface<CtrlZCase> {};

// A console line whose last character is Ctrl-Z ends the input, wherever it stands in
// what a request returns; the lines before it are read, the line itself and those after it
// are not.
TEST_P(InputPipeConsoleCtrlZ, LineEndingInCtrlZEndsTheInput) {
  console_reads(GetParam().input);
  for (int i = 0; i < GetParam().records_read; ++i) {
    ASSERT_EQ(read_four(), record) << "record " << i;
  }
  const std::string report = report_of([] { read_four(); });
  const std::string head = read_report_head(GetParam().number);
  EXPECT_EQ(report.substr(0, head.size()), head);
}

INSTANTIATE_TEST_SUITE_P(
    InputPipeConsole, InputPipeConsoleCtrlZ,
    ::testing::Values(CtrlZCase{record_line + record_line + "\x1a\r\n", 2,
                                error_number::end_of_file},
                      CtrlZCase{record_line + "\x1a\n" + "9 9 9 9\n", 1, error_number::end_of_file},
                      CtrlZCase{repeated(record_line, 40) + "\x1a\n" + record_line, 40,
                                error_number::end_of_file},
                      CtrlZCase{"1 2 3 4\x1a\n" + record_line, 0, error_number::end_of_file},
                      CtrlZCase{record_line + "\x1a", 1, error_number::end_of_file},
                      // Anywhere else Ctrl-Z is a character of a value.
                      CtrlZCase{"1 2 3 \x1a 4\n", 0, error_number::not_a_number},
                      CtrlZCase{"1 2 3 4\n\x1a\x1a\rjunk\n", 1, error_number::not_a_number}));

// A line that reaches the pipe in pieces is read whole; a pause of the program that
// feeds the pipe does not end it.
TEST_F(InputPipeConsole, LineArrivingInPiecesIsOneLine) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  (void)!::write(ends[1], "1.64 2 1", 8);
  std::thread feeder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    (void)!::write(ends[1], "0 5\n", 4);
    ::close(ends[1]);
  });
  console_reads_from(ends[0]);
  const Four values = read_four();
  feeder.join();
  EXPECT_EQ(values, (Four{1.64F, 2, 10, 5}));
}

// Lines longer than the buffer: a value that straddles two requests is one value, and the
// rest of such a line is passed over.
TEST_F(InputPipeConsole, LinesLongerThanTheBuffer) {
  console_reads(std::string(1020, ' ') + "123456 2 3 4" + std::string(2000, ' ') + "9\n" +
                record_line);
  EXPECT_EQ(read_four(), (Four{123456, 2, 3, 4}));
  EXPECT_EQ(read_four(), record);
}

TEST_F(InputPipeConsole, FailedRequestIsReported) {
  console_reads_from(::open("/dev/null", O_WRONLY));
  EXPECT_EQ(report_of([] { read_four(); }), read_report_head(6500) + "- read from file failed\r\n");
}

// With the output redirected, the console output keeps its own owed line end.
TEST_F(InputPipeConsole, OwedLineEndIsLeftToTheOutput) {
  console_reads(record_line);
  recio::console_output_record().line_open = true;
  EXPECT_EQ(read_four(), record);
  EXPECT_TRUE(recio::console_output_record().line_open);
  EXPECT_EQ(console_output(), "");
}

// ---- A terminal ----

class InputTerminal : public InputTest {
protected:
  void SetUp() override {
    InputTest::SetUp();
    console_is(terminal);
  }
  Terminal terminal;
};

TEST_F(InputTerminal, EachTypedLineIsALine) {
  terminal.type("1.64 2\n");
  terminal.type("\n10 5 99\n");
  terminal.type("6 7 8 9\n");
  EXPECT_EQ(read_four(), (Four{1.64F, 2, 10, 5}));
  EXPECT_EQ(read_four(), (Four{6, 7, 8, 9}));
}

TEST_F(InputTerminal, LineOf130CharactersIsRead) {
  terminal.type("1 2 3 4" + std::string(123, ' ') + "\n");
  EXPECT_EQ(read_four(), record);
}

TEST_F(InputTerminal, LineOf131CharactersEndsTheRun) {
  for (const std::size_t length : {131U, 132U, 400U}) {
    SCOPED_TRACE(length);
    terminal.type("1 2 3 4" + std::string(length - 7, ' ') + "\n");
    EXPECT_EQ(report_of([] { read_four(); }), read_report_head(6407) + "- input line too long\r\n");
    ::tcflush(terminal.device(), TCIFLUSH);
  }
}

TEST_F(InputTerminal, LineEndingInCtrlZEndsTheInput) {
  terminal.type(record_line);
  terminal.type("5 6 7 8\x1a\n");
  terminal.type(record_line);
  EXPECT_EQ(read_four(), record);
  EXPECT_EQ(report_of([] { read_four(); }),
            read_report_head(6501) + "- end of file encountered\r\n");
}

// The end key at the start of a line ends the input, for good: later reads make no request.
TEST_F(InputTerminal, EndKeyAtLineStartEndsTheInput) {
  terminal.type("\x04");
  float first = K;
  float second = K;
  EXPECT_EQ(read_pair(console, first, second), recio::end_of_file_status);
  terminal.type(record_line);
  EXPECT_EQ(read_pair(console, first, second), recio::end_of_file_status);
  EXPECT_EQ(first, K);
  EXPECT_EQ(report_of([] { read_four(); }),
            read_report_head(6501) + "- end of file encountered\r\n");
}

// The end key inside a line returns it without its line end: on a terminal that ends the line.
TEST_F(InputTerminal, EndKeyInsideALineEndsTheLine) {
  terminal.type("1.64 2 1\x04");
  terminal.type("0 5\n");
  EXPECT_EQ(read_four(), (Four{1.64F, 2, 1, 0}));
}

// After a prompt, the read writes the owed line end before it waits, and the typed line
// leaves no line end owed.
TEST_F(InputTerminal, ReadSettlesTheOwedLineEnd) {
  console_unit.line_open = true;
  terminal.type(record_line);
  EXPECT_EQ(read_four(), record);
  EXPECT_EQ(terminal.shown(), "\r\n");
  EXPECT_FALSE(console_unit.line_open);
}

TEST_F(InputTerminal, AnswerLineLeavesTheOwedLineEnd) {
  console_unit.line_open = true;
  terminal.type("data.txt\n");
  std::array<char, 260> answer{};
  std::size_t length = 0;
  ASSERT_TRUE(recio::read_console_answer_line(answer, length));
  EXPECT_EQ(std::string(answer.data(), length), "data.txt");
  EXPECT_EQ(terminal.shown(), "");
  EXPECT_TRUE(console_unit.line_open);
}

// ---- A data file on unit 15 ----

class InputFile : public InputTest {};

struct PairRead {
  int status;
  float first;
  float second;
};

bool operator==(const PairRead &a, const PairRead &b) {
  return a.status == b.status && a.first == b.first && a.second == b.second;
}

void PrintTo(const PairRead &r, std::ostream *os) {
  *os << "{" << r.status << ", " << r.first << ", " << r.second << "}";
}

std::vector<PairRead> read_pairs_to_end() {
  std::vector<PairRead> reads;
  for (int guard = 0; guard < 1000; ++guard) {
    PairRead read{0, K, K};
    read.status = read_pair(15, read.first, read.second);
    reads.push_back(read);
    if (read.status != 0) {
      break;
    }
  }
  return reads;
}

struct FileCase {
  std::string contents;
  std::vector<PairRead> reads;
};

void PrintTo(const FileCase &c, std::ostream *os) { *os << shown(c.contents); }

class InputFileReads : public InputFile, public ::testing::WithParamInterface<FileCase> {};

TEST_P(InputFileReads, PairsUntilTheEndOfTheFile) {
  data_file_holds(GetParam().contents);
  EXPECT_EQ(read_pairs_to_end(), GetParam().reads);
}

const PairRead end_of_file{-1, K, K};

INSTANTIATE_TEST_SUITE_P(
    InputFile, InputFileReads,
    ::testing::Values(FileCase{"12 8.4\r\n", {{0, 12, 8.4F}, end_of_file}},
                      FileCase{"12 8.4", {{0, 12, 8.4F}, end_of_file}},
                      FileCase{"12 8.4\n", {{0, 12, 8.4F}, end_of_file}},
                      FileCase{"12 8.4\r", {{0, 12, 8.4F}, end_of_file}},
                      FileCase{"", {end_of_file}}, FileCase{"12\r\n", {{-1, 12, K}}},
                      FileCase{"12 8.4\r\n7", {{0, 12, 8.4F}, {-1, 7, K}}},
                      FileCase{",8.4\r\n", {{0, K, 8.4F}, end_of_file}},
                      FileCase{"12/\r\n", {{0, 12, K}, end_of_file}},
                      FileCase{"12 8.4 3\r\n5 6\r\n", {{0, 12, 8.4F}, {0, 5, 6}, end_of_file}},
                      FileCase{"\r\n\r\n12\r\n\r\n8.4\r\n\r\n\r\n", {{0, 12, 8.4F}, end_of_file}},
                      FileCase{"2*3\r\n", {{0, 3, 3}, end_of_file}}));

// A file whose size is a whole number of blocks and whose last line has no line end
// still gives its last value.
TEST_F(InputFile, LastLineWithoutLineEndFillingWholeBlocks) {
  for (const std::size_t size : {1024U, 2048U}) {
    SCOPED_TRACE(size);
    const std::string pairs = repeated("1 2\r\n", (size - 3) / 5);
    data_file_holds(pairs + std::string(size - 3 - pairs.size(), ' ') + "7 3");
    std::vector<PairRead> expected((size - 3) / 5, PairRead{0, 1, 2});
    expected.push_back({0, 7, 3});
    expected.push_back(end_of_file);
    EXPECT_EQ(read_pairs_to_end(), expected);
    TearDown();
    SetUp();
  }
}

// Values, carriage returns and line feeds that straddle the blocks of the file.
TEST_F(InputFile, ManyBlocks) {
  std::string contents;
  std::vector<PairRead> expected;
  for (int i = 0; i < 700; ++i) {
    contents += std::to_string(i) + " " + std::to_string(i) + ".5\r\n";
    expected.push_back({0, static_cast<float>(i), static_cast<float>(i) + 0.5F});
  }
  expected.push_back(end_of_file);
  data_file_holds(contents);
  EXPECT_EQ(read_pairs_to_end(), expected);
}

TEST_F(InputFile, CtrlZAtTheEndIsAValue) {
  const std::string name = data_file_holds("12 8.4\r\n\x1a");
  float observed = K;
  float expected = K;
  ASSERT_EQ(read_pair(15, observed, expected), 0);
  EXPECT_EQ(report_of([&] { read_pair(15, observed, expected); }),
            read_report_head(6103, name) + "- invalid real\r\n");
  EXPECT_EQ(observed, 12.0F);
}

TEST_F(InputFile, EndOfFileIsMetAgainOnLaterReads) {
  const std::string name = data_file_holds("12 8.4\r\n");
  float observed = K;
  float expected = K;
  ASSERT_EQ(read_pair(15, observed, expected), 0);
  ASSERT_EQ(read_pair(15, observed, expected), -1);
  const int more = ::open(name.c_str(), O_WRONLY | O_APPEND);
  (void)!::write(more, "5 6\r\n", 5);
  ::close(more);
  EXPECT_EQ(read_pair(15, observed, expected), -1);
  EXPECT_EQ(observed, 12.0F);
}

TEST_F(InputFile, EndOfFileWithoutAskingIsReported) {
  const std::string name = data_file_holds("12 8.4\r\n");
  EXPECT_EQ(report_of([] { read_four(15); }),
            read_report_head(6501, name) + "- end of file encountered\r\n");
}

TEST_F(InputFile, UnitOnTheConsoleDeviceReadsTheConsole) {
  console_reads(record_line);
  data_file_holds("9 9 9 9\n");
  recio::unit_table[0].record.is_console_device = true;
  EXPECT_EQ(read_four(15), record);
}

TEST_F(InputFile, UnitNotConnectedIsReported) {
  EXPECT_EQ(report_of([] { read_four(7); }),
            read_report_head(6500, "7") + "- read from file failed\r\n");
}

// ---- The answer line of the file-name prompt ----

class InputAnswerLine : public InputTest {
protected:
  // The next answer line, or "<end>".
  std::string answer(std::size_t room = 260) {
    std::vector<char> out(room);
    std::size_t length = 0;
    if (!recio::read_console_answer_line(out, length)) {
      return "<end>";
    }
    return {out.data(), length};
  }
};

TEST_F(InputAnswerLine, TakesOneLineAtATime) {
  console_reads("first.txt\r\n\nsecond.txt");
  EXPECT_EQ(answer(), "first.txt");
  EXPECT_EQ(answer(), "");
  EXPECT_EQ(answer(), "second.txt");
  EXPECT_EQ(answer(), "<end>");
}

TEST_F(InputAnswerLine, KeepsAtMost260Characters) {
  const std::string line(300, 'n');
  console_reads(line + "\n" + line + "\nnext\n");
  EXPECT_EQ(answer(), line.substr(0, 260));
  EXPECT_EQ(answer(40), line.substr(0, 40));
  EXPECT_EQ(answer(), "next");
}

// The line may already be in the console's buffer, behind the line of a record read.
TEST_F(InputAnswerLine, TakesALineTheConsoleAlreadyHolds) {
  console_reads(record_line + "  data.txt \nrest\n");
  EXPECT_EQ(read_four(), record);
  EXPECT_EQ(answer(), "  data.txt ");
  EXPECT_EQ(answer(), "rest");
}

TEST_F(InputAnswerLine, CtrlZLineEndsTheInput) {
  console_reads("\x1a\r\nname\n");
  EXPECT_EQ(answer(), "<end>");
  EXPECT_EQ(answer(), "<end>");
}

} // namespace
