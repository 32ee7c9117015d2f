// Records written by layouts and as free-format text: their columns, the file buffer, and the
// reports for layouts that cannot be written.
#include "output_test_support.hpp"
#include "recio/output.hpp"

#include <string>
#include <vector>

namespace recio_test {
namespace {

constexpr const char *results_row_layout =
    "(F6.2,T11,F6.2,T21,F6.4,T31,F6.2,1X,F6.2,1X,F6.2,1X,F6.2,'-',F6.2,1X,F6.4)";
constexpr const char *results_header_layout =
    "('ZALPHA',T11,'SMR(theor)',T22,'Power',T31,'Observed values',/,T32,'O      E      SMR    "
    "95%CI         p',/)";

// The file contents after one write to a unit connected to a new file, and its closing.
std::string file_after_write(const std::string &layout, const std::vector<float> &values) {
  TempDir dir;
  const std::string path = dir.file("results.txt");
  connect_file_unit(1, path, "results.txt");
  recio::write_edited(1, layout, values);
  recio::close_unit(1, "keep");
  return read_file(path);
}

struct RecordCase {
  const char *what;
  std::string layout;
  std::vector<float> values;
  std::string file;
};

class OutputRecords : public RecioTest {};

TEST_F(OutputRecords, LayoutsGiveTheseFileLines) {
  const RecordCase cases[] = {
      {"results row: gaps before characters are filled",
       results_row_layout,
       {1.64f, 2.0f, 0.5841f, 10.0f, 5.0f, 2.0f, 0.96f, 3.678f, 0.0318f},
       "  1.64      2.00     .5841     10.00   5.00   2.00    .96-  3.68  .0318\r\n"},
      {"results header: three lines, the last empty",
       results_header_layout,
       {},
       "ZALPHA    SMR(theor) Power    Observed values\r\n" + std::string(31, ' ') +
           "O      E      SMR    95%CI         p\r\n\r\n"},
      {"a move at the end adds no blanks", "('ab',5X)", {}, "ab\r\n"},
      {"a tab past the end adds no blanks", "('ab',T20)", {}, "ab\r\n"},
      {"blanks owed before a slash are dropped", "('ab',T10,/,'c')", {}, "ab\r\nc\r\n"},
      {"a skip before a character", "('ab',3X,'c')", {}, "ab   c\r\n"},
      {"X alone is 1X", "('ab',x,'c')", {}, "ab c\r\n"},
      {"a tab from column 1", "(T5,'x')", {}, "    x\r\n"},
      {"a tab back overwrites in place", "('abcdef',T3,'XY')", {}, "abXYef\r\n"},
      {"a field's blanks overwrite too", "('abcdef',T2,F4.1)", {1.5f}, "a 1.5f\r\n"},
      {"a skip after a tab back stays inside", "('abcdef',T2,2X,'Z')", {}, "abcZef\r\n"},
      {"a skip after a tab back can leave the record", "('abc',T2,4X,'Z')", {}, "abc  Z\r\n"},
      {"a tab back and a longer text extends the record", "('abc',T2,'WXYZ')", {}, "aWXYZ\r\n"},
      {"stops at the first F with no value left",
       "('a',F6.2,'b',F6.2,'c')",
       {1.0f},
       "a  1.00b\r\n"},
      {"no values: stops at the first F", "('a',F6.2,'b')", {}, "a\r\n"},
      {"more values than F fields: the rest are ignored",
       "('a',F6.2,'b')",
       {1.0f, 2.0f, 3.0f},
       "a  1.00b\r\n"},
      {"no values: the whole layout", "('a',/,'b')", {}, "a\r\nb\r\n"},
      {"an A field with no value left stops the write", "('a',A1,'b')", {}, "a\r\n"},
      {"a trailing slash gives an empty last record", "('a',/)", {}, "a\r\n\r\n"},
      {"an empty layout gives an empty record", "()", {}, "\r\n"},
      {"a slash alone gives two empty records", "(/)", {}, "\r\n\r\n"},
      {"doubled delimiters, quotation marks", "('It''s',\" \"\"q\"\"\")", {}, "It's \"q\"\r\n"},
      {"blanks and tabs ignored outside literals, kept inside",
       " \t( ' a b ' ,\t 2 X , 'c' )",
       {},
       " a b   c\r\n"},
      {"no separators needed", "('a''b'/'c'\"d\"2x'e')", {}, "a'b\r\ncd  e\r\n"},
      {"after the closing parenthesis nothing counts", "('a') junk T0 'b'", {}, "a\r\n"},
  };
  for (const RecordCase &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(file_after_write(c.layout, c.values), c.file);
  }
}

TEST_F(OutputRecords, ResultsRowIsSeventyOneCharactersWithTheValuesInTheirColumns) {
  const std::string file = file_after_write(
      results_row_layout, {1.64f, 2.0f, 0.5841f, 10.0f, 5.0f, 2.0f, 0.96f, 3.678f, 0.0318f});
  ASSERT_EQ(file.size(), 73U);
  EXPECT_EQ(file.substr(20, 6), " .5841");
  EXPECT_EQ(file.substr(30, 6), " 10.00");
  EXPECT_EQ(file.substr(57, 1), "-");
  EXPECT_EQ(file.substr(65, 6), " .0318");
}

class OutputFileBuffer : public RecioTest {
protected:
  void SetUp() override {
    RecioTest::SetUp();
    unit_ = &connect_file_unit(1, path_, "results.txt");
  }

  TempDir dir_;
  std::string path_ = dir_.file("results.txt");
  recio::UnitRecord *unit_ = nullptr;
};

TEST_F(OutputFileBuffer, NothingReachesTheFileUntilTheBufferIsFull) {
  // One record of 1020 characters and its line end: 1022 bytes, two short of the buffer.
  recio::write_edited(1, "(T1020,'x')", {});
  EXPECT_EQ(read_file(path_), "");
  EXPECT_EQ(unit_->buffer_fill, 1022);
  // An empty record is its line end alone; it fills the buffer, which goes to the file at once.
  recio::write_edited(1, "()", {});
  const std::string first_records = std::string(1019, ' ') + "x\r\n\r\n";
  EXPECT_EQ(read_file(path_), first_records);
  EXPECT_EQ(unit_->buffer_fill, 0);
  recio::write_edited(1, "('y')", {});
  EXPECT_EQ(read_file(path_), first_records);
  recio::close_unit(1, "keep");
  EXPECT_EQ(read_file(path_), first_records + "y\r\n");
}

TEST_F(OutputFileBuffer, RecordSplitAcrossTwoFlushes) {
  // Twelve bytes per record: the 86th record spans bytes 1021 to 1032.
  for (int record = 0; record < 86; ++record) {
    recio::write_edited(1, "('abcdefghij')", {});
  }
  std::string expected;
  for (int record = 0; record < 86; ++record) {
    expected += "abcdefghij\r\n";
  }
  EXPECT_EQ(read_file(path_), expected.substr(0, 1024));
  recio::close_unit(1, "keep");
  EXPECT_EQ(read_file(path_), expected);
}

TEST_F(OutputFileBuffer, RecordLongerThanTheBufferContinuesInTheNext) {
  recio::write_edited(1, "('a',T3000,'z',T2500,'m')", {});
  std::string expected = "a" + std::string(2998, ' ') + "z\r\n";
  expected[2499] = 'm'; // a tab back within the part not yet handed over
  EXPECT_EQ(read_file(path_), expected.substr(0, 2048));
  recio::close_unit(1, "keep");
  EXPECT_EQ(read_file(path_), expected);
}

TEST_F(OutputFileBuffer, FirstWriteCutsTheEarlierContents) {
  write_file(path_, "earlier contents, longer than what is written now\r\n");
  recio::write_edited(1, "('new')", {});
  recio::write_edited(1, "('more')", {});
  recio::close_unit(1, "keep");
  EXPECT_EQ(read_file(path_), "new\r\nmore\r\n");
}

TEST_F(OutputFileBuffer, ConsecutiveWritesAppendRecords) {
  recio::write_edited(1, results_header_layout, {});
  const float row[] = {1.64f, 2.0f, 0.5841f, 10.0f, 5.0f, 2.0f, 0.96f, 3.678f, 0.0318f};
  recio::write_edited(1, results_row_layout, row);
  recio::close_unit(1, "keep");
  EXPECT_EQ(read_file(path_),
            "ZALPHA    SMR(theor) Power    Observed values\r\n" + std::string(31, ' ') +
                "O      E      SMR    95%CI         p\r\n\r\n"
                "  1.64      2.00     .5841     10.00   5.00   2.00    .96-  3.68  .0318\r\n");
}

class OutputLayoutErrors : public RecioTest {};

struct LayoutErrorCase {
  const char *layout;
  std::vector<float> values;
  std::string shown_before; // console output before the report
};

TEST_F(OutputLayoutErrors, MalformedLayoutEndsTheRunWhenTheWriteGetsThere) {
  const LayoutErrorCase cases[] = {
      {"' a'", {}, ""},               // no opening parenthesis
      {"", {}, ""},                   // nothing at all
      {"(' a'", {}, ""},              // no closing parenthesis
      {"(' a',/,' b'", {}, "a"},      // the finished record was shown
      {"(' a", {}, ""},               // a literal that is never closed
      {"(' a',T0)", {}, ""},          // column 0
      {"(' a',T)", {}, ""},           // no column
      {"(' a',F6)", {1.0f}, ""},      // no decimals
      {"(' a',F6.)", {1.0f}, ""},     // no decimal count
      {"(' a',F.2)", {1.0f}, ""},     // no width
      {"(' a',F0.2)", {1.0f}, ""},    // width 0
      {"(' a',I5)", {1.0f}, ""},      // outside the notation
      {"(' a',2F6.2)", {1.0f}, ""},   // no repeat counts
      {"(' a',0X,' b')", {}, ""},     // a skip of 0
      {"(' a',,' b')", {}, ""},       // two commas
      {"(,' a')", {}, ""},            // a comma before the first descriptor
      {"(' a',)", {}, ""},            // a comma before the closing parenthesis
      {"(' a',T99999,' b')", {}, ""}, // beyond the largest number accepted
      {"(' a',A1)", {1.0f}, ""},      // a value meeting an A field
      {"(' a',F6.2,A)", {1.0f, 2.0f}, ""},
  };
  for (const LayoutErrorCase &c : cases) {
    SCOPED_TRACE(c.layout);
    RedirectedConsole console;
    CapturedFd error_output(STDERR_FILENO);
    try {
      recio::write_edited(recio::console, c.layout, c.values);
      ADD_FAILURE() << "the run went on";
    } catch (const RunEnded &ended) {
      EXPECT_EQ(ended.status, 1);
    }
    EXPECT_EQ(error_output.text(), report_text("F6099", "CON", "invalid layout"));
    EXPECT_EQ(console.text(), c.shown_before);
  }
}

TEST_F(OutputLayoutErrors, FaultBeyondWhereTheWriteStopsIsNotReached) {
  RedirectedConsole console;
  CapturedFd error_output(STDERR_FILENO);
  recio::write_edited(recio::console, "(' a',F6.2,T0,", {});
  recio::write_edited(recio::console, "(' b',A1,I5)", {});
  recio::write_edited(recio::console, "(' c') T0 ,,", {});
  EXPECT_EQ(console.text(), "a\r\nb\r\nc");
  EXPECT_EQ(error_output.text(), "");
}

TEST_F(OutputLayoutErrors, FileUnitReportNamesTheFileAndLeavesItUncut) {
  TempDir dir;
  const std::string path = dir.file("results.txt");
  write_file(path, "earlier\r\n");
  connect_file_unit(1, path, "results.txt");
  CapturedFd error_output(STDERR_FILENO);
  EXPECT_THROW(recio::write_edited(1, "('new',T0)", {}), RunEnded);
  EXPECT_EQ(error_output.text(), report_text("F6099", "results.txt", "invalid layout"));
  EXPECT_EQ(read_file(path), "earlier\r\n"); // the first record was never stored
}

TEST_F(OutputLayoutErrors, RecordsBeforeTheFaultReachTheFileAtTheEndOfTheRun) {
  TempDir dir;
  const std::string path = dir.file("results.txt");
  connect_file_unit(1, path, "results.txt");
  CapturedFd error_output(STDERR_FILENO);
  EXPECT_THROW(recio::write_edited(1, "('one',/,'two',/,'three',I2)", {}), RunEnded);
  recio::end_of_run(); // what the process-exit path runs after the report
  EXPECT_EQ(read_file(path), "one\r\ntwo\r\n");
}

TEST_F(OutputLayoutErrors, WriteToAnUnconnectedUnitIsReported) {
  CapturedFd error_output(STDERR_FILENO);
  try {
    recio::write_edited(7, "(' a')", {});
    ADD_FAILURE() << "the run went on";
  } catch (const RunEnded &ended) {
    EXPECT_EQ(ended.status, 1);
  }
  EXPECT_EQ(error_output.text(), report_text("F6423", "7", "write to file failed"));
}

class WriteFree : public RecioTest {};

struct FreeCase {
  std::size_t length;
  std::string console;
  std::string file;
};

// A text of n characters: "0123456789012...".
std::string digits_text(std::size_t length) {
  std::string text;
  for (std::size_t index = 0; index < length; ++index) {
    text += static_cast<char>('0' + index % 10);
  }
  return text;
}

TEST_F(WriteFree, TextsAreCutIntoSeventyNineCharacterRecords) {
  const std::string t78 = digits_text(78);
  const std::string t79 = digits_text(79);
  const std::string t80 = digits_text(80);
  const std::string t158 = digits_text(158);
  const FreeCase cases[] = {
      {0, "", " \r\n"},
      {78, t78, " " + t78 + "\r\n"},
      {79, t79 + "\r\n", " " + t79 + "\r\n\r\n"}, // a full record, then an empty one
      {80, t79 + "\r\n" + t80.substr(79), " " + t79 + "\r\n " + t80.substr(79) + "\r\n"},
      {158, t79 + "\r\n" + t158.substr(79) + "\r\n",
       " " + t79 + "\r\n " + t158.substr(79) + "\r\n\r\n"},
  };
  for (const FreeCase &c : cases) {
    SCOPED_TRACE(c.length);
    const std::string text = digits_text(c.length);
    {
      RedirectedConsole console;
      recio::write_free(recio::console, text);
      EXPECT_EQ(console.text(), c.console);
    }
    TempDir dir;
    const std::string path = dir.file("free.txt");
    connect_file_unit(3, path, "free.txt");
    recio::write_free(3, text);
    recio::close_unit(3, "keep");
    EXPECT_EQ(read_file(path), c.file);
  }
}

TEST_F(WriteFree, TextIsShownFromColumnOneAfterItsBlank) {
  RedirectedConsole console;
  recio::write_free(recio::console, "Enter input file name");
  recio::write_free(recio::console, " Do you want to read data from an ASCII file(y/n)?");
  EXPECT_EQ(console.text(),
            "Enter input file name\r\n Do you want to read data from an ASCII file(y/n)?");
}

} // namespace
} // namespace recio_test
