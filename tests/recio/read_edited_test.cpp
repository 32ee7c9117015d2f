// Reads of answers and names by the layouts "(a1)" and "(a40)".
#include "input_test_support.hpp"

#include "recio/input.hpp"

#include <string>

namespace {

using namespace input_test;
using recio::console;

std::string read_item(std::string_view layout, std::size_t length) {
  std::string item(length, '?');
  recio::read_edited(console, layout, item);
  return item;
}

std::string padded(const std::string &text, std::size_t length) {
  return text + std::string(length - text.size(), ' ');
}

struct EditedCase {
  std::string typed;
  std::string layout;
  std::size_t length;
  std::string item;
};

void PrintTo(const EditedCase &c, std::ostream *os) { *os << c.layout << " " << shown(c.typed); }

class ReadEditedTest : public InputTest {};

class ReadEditedLines : public InputTest, public ::testing::WithParamInterface<EditedCase> {};

// Every row is followed by the line "next", which the next read must find whole.
TEST_P(ReadEditedLines, FillsTheItemAndFinishesTheLine) {
  console_reads(GetParam().typed + "next\n");
  EXPECT_EQ(read_item(GetParam().layout, GetParam().length), GetParam().item);
  EXPECT_EQ(read_item("(a40)", 40), padded("next", 40));
}

const std::string name45 = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHI";

INSTANTIATE_TEST_SUITE_P(
    ReadEdited, ReadEditedLines,
    ::testing::Values(EditedCase{"y\n", "(a1)", 1, "y"}, EditedCase{"yes\n", "(a1)", 1, "y"},
                      EditedCase{"Y\r\n", "(A1)", 1, "Y"}, EditedCase{"\n", "(a1)", 1, " "},
                      EditedCase{"\r\n", "(a1)", 1, " "}, EditedCase{" y\n", "(a1)", 1, " "},
                      EditedCase{"\ty\n", "(a1)", 1, "\t"},
                      EditedCase{name45 + "\n", "(a40)", 40, name45.substr(0, 40)},
                      EditedCase{"out.txt\n", "(a40)", 40, padded("out.txt", 40)},
                      EditedCase{"  out.txt  \n", "(a40)", 40, padded("  out.txt  ", 40)},
                      EditedCase{"a b\rc d\n", "(a40)", 40, padded("a b", 40)},
                      EditedCase{std::string(2000, 'x') + "\n", "(a40)", 40, std::string(40, 'x')},
                      // A plain A takes the item's length; blanks inside the layout are ignored.
                      EditedCase{"abcdefg\n", "(a)", 5, "abcde"},
                      EditedCase{"abcdefg\n", " ( A 3 ) ", 5, "abc  "},
                      // A width beyond the item: the first characters are passed over.
                      EditedCase{"xyz\n", "(a3)", 1, "z"}, EditedCase{"xy\n", "(a3)", 1, " "}));

TEST_F(ReadEditedTest, AtEndOfConsoleInputIsReported) {
  console_reads("y\n");
  (void)read_item("(a1)", 1);
  EXPECT_EQ(report_of([] { (void)read_item("(a1)", 1); }),
            read_report_head(6501) + "- end of file encountered\r\n");
}

TEST_F(ReadEditedTest, LastLineWithoutLineEnd) {
  console_reads("y\nout.txt");
  EXPECT_EQ(read_item("(a1)", 1), "y");
  EXPECT_EQ(read_item("(a40)", 40), padded("out.txt", 40));
}

TEST_F(ReadEditedTest, RefusesALayoutOtherThanA) {
  console_reads("12\n");
  const std::string report = report_of([] { (void)read_item("(i2)", 2); });
  const std::string head = read_report_head(6099);
  EXPECT_EQ(report.substr(0, head.size()), head);
}

} // namespace
