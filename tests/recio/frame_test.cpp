// The frame of every run: run-time error reports, floating-point faults, units, closing,
// the termination line and the end of the run.
#include "recio_test_support.hpp"

#include "recio/platform.hpp"
#include "recio/runtime_error.hpp"
#include "recio/units.hpp"
#include "stats/checked_math.hpp"

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace recio;
using recio_test::ChildResult;
using recio_test::read_file;
using recio_test::RecioTest;
using recio_test::report_of;
using recio_test::run_in_child;
using recio_test::RunEnded;
using recio_test::TempDir;
using recio_test::write_file;

UnitRecord &connect_file(int unit_number, const std::string &path, int flags = O_RDWR | O_CREAT) {
  return recio_test::connect_file_unit(unit_number, path, path, flags);
}

// Stores a record in a file unit's buffer as the output editor does.
void store_record(UnitRecord &unit, const std::string &text) {
  begin_file_output(unit);
  for (char c : text + "\r\n") {
    if (static_cast<std::size_t>(unit.buffer_fill) == unit.buffer_capacity) {
      flush_unit(unit);
    }
    unit.buffer[static_cast<std::size_t>(unit.buffer_fill++)] = c;
  }
}

class Report : public RecioTest {};

TEST_F(Report, BytesForEachStatementKind) {
  struct Case {
    int number;
    StatementKind kind;
    std::string unit;
    std::string message;
    std::string expected;
  };
  const Case cases[] = {
      {6501, StatementKind::read, "CON", "end of file encountered",
       "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n"},
      {6416, StatementKind::open, "data.txt", "file not found",
       "\r\nrun-time error F6416: OPEN(data.txt)\r\n- file not found\r\n"},
      {6422, StatementKind::close, "out.txt", "",
       "\r\nrun-time error F6422: CLOSE(out.txt)\r\n\r\n"},
      {6421, StatementKind::write, "out.txt", "x",
       "\r\nrun-time error F6421: WRITE(out.txt)\r\n- x\r\n"},
      {6201, StatementKind::math, "", "sqrt: DOMAIN error",
       "\r\nrun-time error M6201: MATH\r\n- sqrt: DOMAIN error\r\n"},
      {6700, StatementKind::none, "", "out of memory",
       "\r\nrun-time error F6700\r\n- out of memory\r\n"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(report_of([&] { report_runtime_error(c.number, c.kind, c.unit, c.message); }),
              c.expected);
  }
}

TEST_F(Report, ReturnsWhileTheEndOfRunIsUnderWay) {
  end_of_run_started = true;
  recio_test::CapturedFd err(STDERR_FILENO);
  report_io_error(error_number::end_of_file, StatementKind::read, "CON");
  EXPECT_EQ(err.text(), "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n");
}

TEST_F(Report, FloatingPointAndMathMessages) {
  setup_fp_traps();
  struct Case {
    std::function<void()> operation;
    std::string expected;
  };
  const Case cases[] = {
      {[] { stats::checked_divide(1.0, 0.0); },
       "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n"},
      {[] { stats::checked_divide(0.0, 0.0); },
       "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n"},
      {[] { stats::store_float(1e39); },
       "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n"},
      {[] { stats::truncate_to_count(2147483648.0); },
       "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n"},
      {[] { stats::checked_sqrt(-1.0); },
       "\r\nrun-time error M6201: MATH\r\n- sqrt: DOMAIN error\r\n"},
      {[] { stats::checked_log(0.0); }, "\r\nrun-time error M6202: MATH\r\n- log: SING error\r\n"},
      {[] { stats::checked_exp(1000.0); },
       "\r\nrun-time error M6203: MATH\r\n- exp: OVERFLOW error\r\n"},
      {[] { stats::checked_pow(1e300, 2.0); },
       "\r\nrun-time error M6203: MATH\r\n- **: OVERFLOW error\r\n"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(report_of(c.operation), c.expected);
  }
}

TEST_F(Report, UnderflowPassesSilently) {
  setup_fp_traps();
  EXPECT_EQ(stats::checked_exp(-1000.0), 0.0);
  EXPECT_EQ(stats::store_float(1e-50), 0.0f);
  EXPECT_TRUE(math_error_handler(4, "exp"));
  EXPECT_TRUE(math_error_handler(6, "exp"));
}

TEST_F(Report, StoreOverflowsOnlyWhenTheRoundedValueLeavesTheRange) {
  setup_fp_traps();
  EXPECT_EQ(stats::store_float(3.4028235e38), 3.4028235e38f);
  EXPECT_EQ(stats::store_float(0x1.fffffefp127), 0x1.fffffep127f); // rounds down to the largest
  EXPECT_NE(report_of([] { stats::store_float(0x1.ffffffp127); }), "");
}

// The real exit path, in a child process: exact bytes and exit status.
TEST(ReportInChild, EndsTheProcessWithStatusOne) {
  const ChildResult result = run_in_child([] {
    runtime_startup();
    report_io_error(error_number::end_of_file, StatementKind::read, "CON");
  });
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n");
  EXPECT_EQ(result.out, "");
}

TEST(ReportInChild, ArithmeticFaultsReportAfterStartup) {
  const ChildResult result = run_in_child([] {
    runtime_startup();
    volatile double zero = 0.0;
    stats::checked_divide(5.0, zero);
  });
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err,
            "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n");
}

TEST(ReportInChild, BufferedFileOutputReachesTheFileAfterAReport) {
  TempDir dir;
  const std::string path = dir.file("results.txt");
  const ChildResult result = run_in_child([&] {
    runtime_startup();
    store_record(connect_file(1, path), "header");
    report_io_error(error_number::not_a_number, StatementKind::read, "data.txt");
  });
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(read_file(path), "header\r\n");
}

class Units : public RecioTest {
protected:
  TempDir dir;
};

TEST_F(Units, ConsoleRecordsDependOnWhetherBothEndsAreTerminals) {
  const int in = recio_test::input_from("");
  connect_console(in, STDOUT_FILENO);
  EXPECT_TRUE(console_output_is_separate);
  EXPECT_EQ(&console_output_record(), &console_output_unit);
  EXPECT_EQ(console_unit.name(), "CON");
  EXPECT_EQ(console_output_unit.name(), "CON");
  EXPECT_EQ(console_unit.buffer_capacity, console_buffer_size);
  ::close(in);
}

TEST_F(Units, AnExistingFileIsCutAtItsFirstWriteNotBefore) {
  const std::string path = dir.file("old.txt");
  write_file(path, "a much longer earlier content of the results file\r\n");
  UnitRecord &unit = connect_file(1, path);
  EXPECT_EQ(read_file(path).size(), 51u);
  store_record(unit, "new");
  EXPECT_EQ(read_file(path), "");
  close_unit(1, "keep");
  EXPECT_EQ(read_file(path), "new\r\n");
  EXPECT_EQ(find_unit(1), nullptr);
}

TEST_F(Units, FullBufferIsHandedOverAndARecordMaySpanTwoWrites) {
  const std::string path = dir.file("big.txt");
  UnitRecord &unit = connect_file(1, path);
  const std::string row(70, 'x'); // 72 bytes a line with CR LF
  for (int i = 0; i < 14; ++i) {
    store_record(unit, row);
  }
  EXPECT_EQ(read_file(path), ""); // 1008 bytes held
  store_record(unit, row);        // its 17th byte finds the buffer full
  EXPECT_EQ(read_file(path).size(), 1024u);
  close_unit(1, "KEEP  ");
  std::string expected;
  for (int i = 0; i < 15; ++i) {
    expected += row + "\r\n";
  }
  EXPECT_EQ(read_file(path), expected);
}

TEST_F(Units, ClosingAnUnconnectedUnitDoesNothing) {
  recio_test::CapturedFd err(STDERR_FILENO);
  close_unit(7, "keep");
  EXPECT_EQ(err.text(), "");
}

TEST_F(Units, DeleteStatusRemovesTheFile) {
  const std::string path = dir.file("scratch.txt");
  store_record(connect_file(3, path), "x");
  close_unit(3, "delete");
  EXPECT_NE(::access(path.c_str(), F_OK), 0);
}

TEST_F(Units, ReadOnlyFileCannotBeCut) {
  const std::string path = dir.file("locked.txt");
  write_file(path, "keep me\r\n");
  UnitRecord &unit = connect_file(1, path, O_RDONLY);
  const std::string report = report_of([&] { begin_file_output(unit); });
  EXPECT_EQ(report,
            "\r\nrun-time error F6421: WRITE(" + path + ")\r\n- access denied or file locked\r\n");
  EXPECT_EQ(read_file(path), "keep me\r\n");
}

TEST_F(Units, FullDiskIsReportedAtTheFlush) {
  UnitRecord &unit = connect_file(1, "/dev/full", O_WRONLY);
  unit.writing = true; // a device cannot be cut; write straight into it
  store_record(unit, "row");
  const std::string report = report_of([] { close_unit(1, "keep"); });
  EXPECT_EQ(report, "\r\nrun-time error F6422: CLOSE(/dev/full)\r\n- disk full\r\n");
}

// A file-size limit counts as a full disk, instead of killing the process or losing rows.
TEST(UnitsInChild, FileSizeLimitIsReportedAsDiskFull) {
  TempDir dir;
  const std::string path = dir.file("limited.txt");
  const ChildResult result = run_in_child([&] {
    runtime_startup();
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    UnitRecord &unit = connect_file(1, path);
    for (int i = 0; i < 20; ++i) {
      store_record(unit, std::string(70, 'r'));
    }
    stop_run();
  });
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6422: WRITE(" + path + ")\r\n- disk full\r\n");
}

// Any other failure of a file write is reported too, so that no row is lost silently.
TEST_F(Units, OtherWriteFailuresAreReported) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  UnitSlot &slot = unit_table[0];
  slot.in_use = true;
  slot.unit_number = 1;
  slot.record.set_name("pipe");
  slot.record.handle = ends[1];
  slot.record.writing = true;
  store_record(slot.record, "row");
  const std::string report = report_of([] { close_unit(1, "keep"); });
  std::signal(SIGPIPE, previous);
  EXPECT_EQ(report, "\r\nrun-time error F6423: CLOSE(pipe)\r\n- write to file failed\r\n");
}

TEST(StopRun, WritesTheTerminationLineAndClosesFiles) {
  TempDir dir;
  const std::string first = dir.file("first.txt");
  const std::string second = dir.file("second.txt");
  const ChildResult result = run_in_child([&] {
    runtime_startup();
    store_record(connect_file(1, first), "one");
    store_record(connect_file(15, second), "two");
    console_output_record().line_open = true;
    stop_run();
  });
  EXPECT_EQ(result.exit_status, 0);
  // The owed line end, the termination line, and the line end still owed at the end of the run.
  EXPECT_EQ(result.out, "\r\nStop - Program terminated.\r\n\r\n");
  EXPECT_EQ(read_file(first), "one\r\n");
  EXPECT_EQ(read_file(second), "two\r\n");
}

TEST(StopRun, WithNoLineOwedEndsWithOneLineEnd) {
  const ChildResult result = run_in_child([] {
    runtime_startup();
    stop_run();
  });
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "Stop - Program terminated.\r\n");
  EXPECT_EQ(result.err, "");
}

// A failure while end_of_run closes the units is reported, stops the closing (later units
// are not closed, the console's line end is skipped) and keeps the exit status.
TEST(EndOfRun, StopsAtAFailureAndKeepsTheStatus) {
  TempDir dir;
  const std::string later = dir.file("later.txt");
  const ChildResult result = run_in_child([&] {
    runtime_startup();
    UnitRecord &full = connect_file(1, "/dev/full", O_WRONLY);
    full.writing = true;
    store_record(full, "lost");
    store_record(connect_file(2, later), "never handed over");
    console_output_record().line_open = true;
    exit_run(0);
  });
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.err, "\r\nrun-time error F6422: CLOSE(/dev/full)\r\n- disk full\r\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(read_file(later), "");
}

} // namespace
