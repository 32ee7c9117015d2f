// Free-format reads of reals: separators, null values, the slash, repeat counts, what a read
// leaves of its last line, and the reports of malformed values.
#include "input_test_support.hpp"

#include "recio/input.hpp"

#include <string>

namespace {

using namespace input_test;
using recio::console;
namespace error_number = recio::error_number;

constexpr float K = kept;
const Four next_record{6, 7, 8, 9};

struct TypedCase {
  std::string typed;
  Four first;
};

void PrintTo(const TypedCase &c, std::ostream *os) { *os << shown(c.typed); }

class ReadFreeTest : public InputTest {};

class ReadFreeTyped : public InputTest, public ::testing::WithParamInterface<TypedCase> {};

// Every row is followed by the line "6 7 8 9", which the next read must find whole: a read
// leaves nothing of its last line, and nothing more.
TEST_P(ReadFreeTyped, FillsTheItemsAndLeavesTheNextLine) {
  console_reads(GetParam().typed + "6 7 8 9\n");
  EXPECT_EQ(read_four(), GetParam().first);
  EXPECT_EQ(read_four(), next_record);
}

INSTANTIATE_TEST_SUITE_P(
    ReadFree, ReadFreeTyped,
    ::testing::Values(
        TypedCase{"1.64 2 10 5\n", {1.64F, 2, 10, 5}},
        TypedCase{"1.64\n2\n10\n5\n", {1.64F, 2, 10, 5}},
        TypedCase{"1.64,2,10,5\n", {1.64F, 2, 10, 5}},
        TypedCase{"1.64 , 2,10 5\n", {1.64F, 2, 10, 5}},
        TypedCase{"  \t1.64\t2 \t 10   5   \n", {1.64F, 2, 10, 5}},
        // The rest of the last line is passed over, however long.
        TypedCase{"1.64 2 10 5 99\n", {1.64F, 2, 10, 5}},
        TypedCase{"1 2 3 4 x'y(z 5*\n", {1, 2, 3, 4}},
        TypedCase{"1 2 3 4" + std::string(3000, ' ') + "junk\n", {1, 2, 3, 4}},
        // A comma then the line end: the line end is a blank, the read waits for more lines.
        TypedCase{"1.64 2 10,\n\n5\n", {1.64F, 2, 10, 5}},
        TypedCase{"1.64 2 10 5,\n", {1.64F, 2, 10, 5}}, TypedCase{"\n\n1 2\n\n3 4\n", {1, 2, 3, 4}},
        // Null values.
        TypedCase{"1.64,,10,5\n", {1.64F, K, 10, 5}}, TypedCase{",2,10,5\n", {K, 2, 10, 5}},
        TypedCase{"1 , , 4 5\n", {1, K, 4, 5}}, TypedCase{", ,3 4\n", {K, K, 3, 4}},
        TypedCase{"1 ,2 ,3 , 4\n", {1, 2, 3, 4}}, TypedCase{"1,,,,\n", {1, K, K, K}},
        // The slash: the rest keep their values, and the rest of its line is passed over.
        TypedCase{"-1/\n", {-1, K, K, K}}, TypedCase{"-1/ 3 4 5\n", {-1, K, K, K}},
        TypedCase{"1 2/\n", {1, 2, K, K}}, TypedCase{"/\n", {K, K, K, K}},
        // Repeat counts.
        TypedCase{"4*0.5\n", {0.5F, 0.5F, 0.5F, 0.5F}}, TypedCase{"2*7 2*8\n", {7, 7, 8, 8}},
        TypedCase{"1.64 2* 10\n", {1.64F, K, K, 10}}, TypedCase{"1 2*,4\n", {1, K, K, 4}},
        TypedCase{"9*3\n", {3, 3, 3, 3}}, TypedCase{"1 2 3 2*4 5\n", {1, 2, 3, 4}},
        TypedCase{"2*5/ 9\n", {5, 5, K, K}}, TypedCase{"3*/\n", {K, K, K, K}},
        TypedCase{"01*2 3 4 5\n", {2, 3, 4, 5}},
        // Numbers.
        TypedCase{"1e2 1.E2 1d2 1+2\n", {100, 100, 100, 100}},
        TypedCase{"1.5-3 100. .5 -0.25\n", {0.0015F, 100, 0.5F, -0.25F}},
        TypedCase{"1,5 6 7\n", {1, 5, 6, 7}},
        // Line ends: CR LF or LF; what stands between CR and LF is not read.
        TypedCase{"1 2\r\n3 4\r\n", {1, 2, 3, 4}}, TypedCase{"1 2\r 99 99\n3 4\n", {1, 2, 3, 4}},
        TypedCase{"1 2 3 4\rjunk\n", {1, 2, 3, 4}}));

// A repeat count ended by a line end counts as a value ended by it, so the read does
// not pass over the next line when it finishes.
TEST_F(ReadFreeTest, RepeatCountAtLineEndLeavesTheNextLine) {
  console_reads("1 3*\n6 7 8 9\n");
  EXPECT_EQ(read_four(), (Four{1, K, K, K}));
  EXPECT_EQ(read_four(), next_record);
}

TEST_F(ReadFreeTest, RepeatDoesNotCarryIntoTheNextRead) {
  console_reads("1 2 3 3*4\n6 7 8 9\n");
  EXPECT_EQ(read_four(), (Four{1, 2, 3, 4}));
  EXPECT_EQ(read_four(), next_record);
}

TEST_F(ReadFreeTest, TwoItemsFromOneLineSkipsTheRest) {
  console_reads("1.64 2 10 5\n6 7 8 9\n");
  float zalpha = K;
  float smr = K;
  ASSERT_EQ(read_pair(console, zalpha, smr), 0);
  EXPECT_EQ(zalpha, 1.64F);
  EXPECT_EQ(smr, 2.0F);
  EXPECT_EQ(read_four(), next_record);
}

// A value of 520 characters is the longest that is read.
TEST_F(ReadFreeTest, LongestValueText) {
  console_reads(std::string(519, '0') + "7 1 2 3\n");
  EXPECT_EQ(read_four(), (Four{7, 1, 2, 3}));
}

struct FaultCase {
  std::string typed;
  int number;
};

void PrintTo(const FaultCase &c, std::ostream *os) { *os << shown(c.typed); }

class ReadFreeFaults : public InputTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ReadFreeFaults, EndTheRunWithTheirReport) {
  console_reads(GetParam().typed);
  const std::string report = report_of([] { read_four(); });
  const std::string head = read_report_head(GetParam().number);
  EXPECT_EQ(report.substr(0, head.size()), head);
}

INSTANTIATE_TEST_SUITE_P(
    ReadFree, ReadFreeFaults,
    ::testing::Values(
        FaultCase{"1;5 2 3 4\n", error_number::not_a_number},
        FaultCase{"1.5x 2 3 4\n", error_number::not_a_number},
        FaultCase{"1 2 3 4.4.\n", error_number::not_a_number},
        FaultCase{"1 2 3 .\n", error_number::not_a_number},
        FaultCase{"1 2 3 +\n", error_number::not_a_number},
        FaultCase{"1e400 2 3 4\n", error_number::value_beyond_double},
        FaultCase{"1e39 2 3 4\n", error_number::value_beyond_float},
        FaultCase{"'abc' 2 3 4\n", error_number::text_where_real_expected},
        FaultCase{"\"abc\" 2 3 4\n", error_number::text_where_real_expected},
        FaultCase{"(1,2) 3 4 5\n", error_number::text_where_real_expected},
        FaultCase{"2*'a' 3 4\n", error_number::text_where_real_expected},
        FaultCase{"0*5 1 2 3 4\n", error_number::repeat_count_zero},
        FaultCase{"000*5 1 2 3 4\n", error_number::repeat_count_zero},
        FaultCase{"2*3*4 1 2 3\n", error_number::repeat_count_twice},
        FaultCase{"1.5*2 1 2 3\n", error_number::repeat_count_not_integer},
        FaultCase{"*5 1 2 3\n", error_number::repeat_count_not_integer},
        FaultCase{"+2*5 1 2 3\n", error_number::repeat_count_not_integer},
        // A repeat count with a minus sign is not an unsigned integer.
        FaultCase{"-2*5 1 2 3\n", error_number::repeat_count_not_integer},
        FaultCase{"2147483648*1\n", error_number::repeat_count_too_large},
        FaultCase{"99999999999999999999999999*1\n", error_number::repeat_count_too_large},
        // No number has more than 520 characters: the value text is refused, whatever follows.
        FaultCase{std::string(521, '0') + "7 1 2 3\n", error_number::not_a_number},
        FaultCase{std::string(5000, '1') + "\n", error_number::not_a_number},
        // The end of the console's input.
        FaultCase{"", error_number::end_of_file}, FaultCase{"\n\n  \n", error_number::end_of_file},
        FaultCase{"1 2 3\n", error_number::end_of_file}));

TEST_F(ReadFreeTest, FaultKeepsTheItemsAlreadyFilled) {
  console_reads("1 2 x 4\n");
  Four values{K, K, K, K};
  const std::string report = report_of([&] {
    const std::array<float *, 4> items{&values[0], &values[1], &values[2], &values[3]};
    recio::read_free(console, items, false);
  });
  EXPECT_EQ(report, read_report_head(6103) + "- invalid real\r\n");
  EXPECT_EQ(values, (Four{1, 2, K, K}));
}

TEST_F(ReadFreeTest, EndOfConsoleInputIsReported) {
  console_reads("1 2\n");
  EXPECT_EQ(report_of([] { read_four(); }),
            read_report_head(6501) + "- end of file encountered\r\n");
}

// What a user sees: the report on standard error and exit status 1.
TEST(ReadFreeRun, MalformedValueEndsTheProcess) {
  const auto result = recio_test::run_in_child([] { read_four(); }, "1.64 2 1O 5\r\n");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6103: READ(CON)\r\n- invalid real\r\n");
  EXPECT_EQ(result.out, "");
}

TEST(ReadFreeRun, EndOfInputEndsTheProcess) {
  const auto result = recio_test::run_in_child([] { read_four(); }, "1.64 2\r\n");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n");
}

} // namespace
