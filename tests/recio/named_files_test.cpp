// Connecting units to named files and devices: blank names, dispositions, access, device
// names, and the open failures.
#include "recio_test_support.hpp"

#include "recio/input.hpp"
#include "recio/named_files.hpp"
#include "recio/output.hpp"
#include "recio/units.hpp"

#include <array>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace recio;
using recio_test::CapturedFd;
using recio_test::read_file;
using recio_test::RecioTest;
using recio_test::report_of;
using recio_test::RunEnded;
using recio_test::TempDir;
using recio_test::write_file;

class NamedFiles : public RecioTest {
protected:
  void SetUp() override {
    RecioTest::SetUp();
    previous_directory_ = ::open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
    set_command_line(0, nullptr);
  }
  void TearDown() override {
    (void)::fchdir(previous_directory_);
    ::close(previous_directory_);
    set_command_line(0, nullptr);
    RecioTest::TearDown();
  }

  // Connects the console to the given input and to a scratch output file.
  void console_with_input(const std::string &input) {
    console_in_ = recio_test::input_from(input);
    console_out_ = recio_test::input_from("");
    connect_console(console_in_, console_out_);
  }
  std::string console_text() const {
    std::string text(4096, '\0');
    const ssize_t got = ::pread(console_out_, text.data(), text.size(), 0);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
  }

  bool exists(const std::string &name) const { return ::access(name.c_str(), F_OK) == 0; }

  TempDir dir_;
  int previous_directory_ = -1;
  int console_in_ = -1;
  int console_out_ = -1;
};

std::string open_report(const std::string &number, const std::string &name,
                        const std::string &message) {
  return "\r\nrun-time error F" + number + ": OPEN(" + name + ")\r\n- " + message + "\r\n";
}

TEST_F(NamedFiles, MissingFileIsCreatedEmptyAndWrittenWithoutACut) {
  open_unit(1, "  results.txt                            ");
  ASSERT_NE(find_unit(1), nullptr);
  EXPECT_TRUE(exists("results.txt"));
  EXPECT_EQ(find_unit(1)->name(), "results.txt");
  EXPECT_EQ(find_unit(1)->kind, UnitKind::text_file);
  EXPECT_TRUE(find_unit(1)->writing);
  write_edited(1, "('row')", {});
  close_unit(1, "keep");
  EXPECT_EQ(read_file("results.txt"), "row\r\n");
}

TEST_F(NamedFiles, ExistingFileIsOpenedUnchangedAtItsStart) {
  write_file("data.txt", "12 8.4\n");
  open_unit(15, "data.txt");
  UnitRecord *unit = find_unit(15);
  ASSERT_NE(unit, nullptr);
  EXPECT_FALSE(unit->writing);
  EXPECT_EQ(unit->access, UnitAccess::read_write);
  float observed = 0, expected = 0;
  const std::array<float *, 2> items{&observed, &expected};
  read_free(15, items, true);
  EXPECT_FLOAT_EQ(observed, 12.0f);
  EXPECT_FLOAT_EQ(expected, 8.4f);
  close_unit(15, "keep");
  EXPECT_EQ(read_file("data.txt"), "12 8.4\n");
}

TEST_F(NamedFiles, BlankInsideANameStays) {
  open_unit(1, " my results.txt ");
  EXPECT_TRUE(exists("my results.txt"));
}

TEST_F(NamedFiles, FileThatMustExist) {
  EXPECT_EQ(report_of([] { open_unit(15, "nowhere.dat", OpenStatus::old); }),
            open_report("6416", "nowhere.dat", "file not found"));
  EXPECT_FALSE(exists("nowhere.dat"));
}

// Opened by an ordinary user (the superuser's writes ignore permissions), in a child process.
TEST_F(NamedFiles, ReadOnlyFileIsOpenedReadOnly) {
  write_file("fixed.dat", "1 2\n");
  ::chmod("fixed.dat", 0444);
  ::chmod(dir_.path().c_str(), 0755);
  const recio_test::ChildResult result = recio_test::run_in_child([] {
    if (::geteuid() == 0 && ::setuid(65534) != 0) {
      ::_exit(3);
    }
    open_unit(15, "fixed.dat");
    ::_exit(find_unit(15)->access == UnitAccess::read_only ? 0 : 4);
  });
  EXPECT_EQ(result.exit_status, 0) << result.err;
}

TEST_F(NamedFiles, OpenFailures) {
  ::mkdir("folder", 0755);
  const std::string long_component(256, 'n');
  struct Case {
    std::string name;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"folder", open_report("6414", "folder", "access denied")},
      {"missing/out.txt", open_report("6416", "missing/out.txt", "file not found")},
      {long_component, open_report("6412", long_component, "invalid file name")},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(report_of([&] { open_unit(1, c.name); }), c.expected) << c.name;
    EXPECT_EQ(find_unit(1), nullptr);
  }
}

TEST_F(NamedFiles, SameFileOnTwoUnits) {
  open_unit(1, "shared.txt");
  ::link("shared.txt", "alias.txt");
  for (const std::string name : {"shared.txt", "./shared.txt", "alias.txt"}) {
    EXPECT_EQ(report_of([&] { open_unit(15, name); }),
              open_report("6413", name, "file already connected to another unit"));
  }
}

TEST_F(NamedFiles, ReopeningAUnit) {
  open_unit(1, "first.txt");
  write_edited(1, "('kept')", {});
  open_unit(1, "./first.txt"); // the same file: nothing changes
  EXPECT_EQ(read_file("first.txt"), "");
  open_unit(1, "second.txt"); // another file: the first is closed as with "keep"
  EXPECT_EQ(read_file("first.txt"), "kept\r\n");
  EXPECT_EQ(find_unit(1)->name(), "second.txt");
}

TEST_F(NamedFiles, UnitTableHoldsSixtyOneUnits) {
  for (int unit = 1; unit <= 61; ++unit) {
    open_unit(unit, "nul");
  }
  EXPECT_EQ(report_of([] { open_unit(62, "one-too-many.txt"); }),
            open_report("6418", "one-too-many.txt", "too many units connected"));
  EXPECT_FALSE(exists("one-too-many.txt"));
}

TEST_F(NamedFiles, DeviceNames) {
  console_with_input("");
  open_unit(1, "con");
  write_edited(1, "(' to the console')", {});
  EXPECT_EQ(console_text(), "to the console");
  open_unit(2, "CON.TXT");
  EXPECT_TRUE(find_unit(2)->is_console_device);
  open_unit(3, "Nul.dat");
  open_unit(4, "NUL"); // the null device may be shared
  write_edited(3, "('discarded')", {});
  EXPECT_FALSE(exists("Nul.dat"));
  EXPECT_FALSE(exists("NUL"));
  // A name beginning with E, L or U that has an extension is an ordinary file.
  for (const std::string name : {"err.txt", "lpt1.dat", "line.dat", "user.dat"}) {
    open_unit(20, name);
    EXPECT_EQ(find_unit(20)->kind, UnitKind::text_file) << name;
    EXPECT_TRUE(exists(name)) << name;
    close_unit(20, "keep");
  }
}

TEST_F(NamedFiles, ErrWritesToStandardError) {
  open_unit(7, "ERR");
  CapturedFd err(STDERR_FILENO);
  write_edited(7, "(' on standard error')", {});
  close_unit(7, "keep");
  EXPECT_EQ(err.text(), "on standard error\r\n");
}

TEST_F(NamedFiles, PortsNameNoDeviceAndNoFileIsMade) {
  for (const std::string name : {"aux", "COM1", "prn", "LPT2", "line", "com3.dat"}) {
    EXPECT_EQ(report_of([&] { open_unit(1, name); }), open_report("6416", name, "file not found"));
    EXPECT_FALSE(exists(name)) << name;
  }
}

TEST_F(NamedFiles, ConsoleDeviceTwiceIsTheSameFileOnTwoUnits) {
  open_unit(1, "con");
  EXPECT_EQ(report_of([] { open_unit(2, "CON"); }),
            open_report("6413", "CON", "file already connected to another unit"));
}

TEST_F(NamedFiles, BlankNamesTakeTheCommandLineArgumentsInOrder) {
  const std::array<const char *, 3> argv{"smrpower", "a.txt", "b.txt"};
  set_command_line(3, argv.data());
  console_with_input("");
  open_unit(1, std::string(40, ' '));
  open_unit(15, "");
  EXPECT_EQ(find_unit(1)->name(), "a.txt");
  EXPECT_EQ(find_unit(15)->name(), "b.txt");
  EXPECT_EQ(console_text(), "");
}

TEST_F(NamedFiles, BlankNameWithoutArgumentsPromptsUntilANameIsTyped) {
  console_with_input("\n   \nanswer.txt  \n");
  write_free(console, "Enter output file name (file to be overwritten)");
  open_unit(1, std::string(40, ' '));
  EXPECT_EQ(find_unit(1)->name(), "answer.txt");
  const std::string prompt = "File name missing or blank - please enter file name\r\nUNIT 1? ";
  // The owed line end comes first; the console's line stays open for the next record.
  EXPECT_EQ(console_text(),
            "Enter output file name (file to be overwritten)\r\n" + prompt + prompt + prompt);
  EXPECT_TRUE(console_output_record().line_open);
}

TEST_F(NamedFiles, BlankArgumentLeadsToThePromptWithoutALineEnd) {
  const std::array<const char *, 2> argv{"smrpower", "   "};
  set_command_line(2, argv.data());
  console_with_input("typed.txt\n");
  console_output_record().line_open = true;
  open_unit(-3, "");
  EXPECT_EQ(console_text(), "File name missing or blank - please enter file name\r\nUNIT -3? ");
  EXPECT_EQ(find_unit(-3)->name(), "typed.txt");
}

// The prompt's answer is the next line of the console input even when an earlier read has
// already taken it into the console's buffer.
TEST_F(NamedFiles, PromptTakesTheNextLineOfBufferedConsoleInput) {
  console_with_input("y\n\nin order.txt\nn\n");
  char answer = ' ';
  std::array<char, 40> name{};
  read_edited(console, "(a1)", std::span<char>(&answer, 1));
  read_edited(console, "(a40)", name);
  open_unit(1, {name.data(), name.size()});
  EXPECT_EQ(find_unit(1)->name(), "in order.txt");
  read_edited(console, "(a1)", std::span<char>(&answer, 1));
  EXPECT_EQ(answer, 'n');
}

TEST_F(NamedFiles, EndOfInputAtThePrompt) {
  console_with_input("   \n");
  EXPECT_EQ(report_of([] { open_unit(15, ""); }),
            "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n");
}

} // namespace
