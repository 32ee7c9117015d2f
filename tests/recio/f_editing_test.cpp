// F editing as the user sees it: each value edited alone into a console record, whose field
// is the whole of what is shown (the record's leading blank is its advance character).
#include "output_test_support.hpp"
#include "recio/output.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <string>

namespace recio_test {
namespace {

struct FieldCase {
  float value;
  const char *descriptor;
  std::string field;
};

std::string shown_field(float value, const std::string &descriptor) {
  RedirectedConsole console;
  const std::string layout = "(' '," + descriptor + ")";
  const std::array values{value};
  recio::write_edited(recio::console, layout, values);
  return console.text();
}

const std::string largest_float_text = "3402823" + std::string(32, '0') + ".0";

class FEditing : public RecioTest {};

TEST_F(FEditing, FieldsMatchTheEditingRules) {
  const FieldCase cases[] = {
      {0.5f, "F6.2", "   .50"}, // no zero before the point
      {0.0f, "F6.2", "   .00"},
      {-0.0f, "F6.2", "   .00"},   // a negative zero edits as zero
      {0.125f, "F6.2", "   .13"},  // a cut digit of 5 raises the kept digits
      {-0.125f, "F6.2", "  -.13"}, // ... in magnitude
      {0.996f, "F6.2", "  1.00"},  // carry into a new integer digit
      {1.64f, "F6.2", "  1.64"},
      {99.99f, "F6.2", " 99.99"},
      {-99.99f, "F6.2", "-99.99"}, // the text fills the field exactly
      {-0.006f, "F6.2", "  -.01"},
      {-0.004f, "F6.2", "   .00"}, // rounds to zero: the minus sign goes
      {2.675f, "F6.2", "  2.67"},  // the 32-bit value lies just below 2.675
      {0.015f, "F6.2", "   .01"},  // just below 0.015 as well
      {0.025f, "F6.2", "   .03"},  // but just above 0.025
      {0.005f, "F6.2", "   .00"},  // just below 0.005: no digit kept, none raised
      {0.0004f, "F6.2", "   .00"}, // entirely beyond the last decimal
      {-0.0004f, "F6.2", "   .00"},
      {1e-45f, "F6.2", "   .00"}, // the smallest denormal
      {-1e-45f, "F6.2", "   .00"},
      {-100.0f, "F6.2", "******"},  // -100.00 has seven characters
      {999.996f, "F6.2", "******"}, // rounding carries it to 1000.00
      {0.0123f, "F6.4", " .0123"},
      {0.05f, "F6.4", " .0500"},
      {1.5f, "F6.4", "1.5000"},
      {-1.5f, "F6.4", "******"},
      {12.34567f, "F7.4", "12.3457"},
      {0.3f, "F6.0", "    0."}, // the only zero before the point: below one, no decimals
      {0.0f, "F6.0", "    0."},
      {-0.3f, "F6.0", "    0."},
      {0.03f, "F6.0", "    0."},
      {0.7f, "F6.0", "    1."}, // no digit kept, the cut digit makes it 1
      {-0.7f, "F6.0", "   -1."},
      {12.5f, "F6.0", "   13."},
      {-12.5f, "F6.0", "  -13."},
      {0.05f, "F4.1", "  .1"},
      {123.456789f, "F12.6", "  123.456800"}, // at most 7 significant digits
      {0.1f, "F12.10", " .1000000000"},       // the 32-bit noise beyond them is not shown
      {1.5f, "F12.9", " 1.500000000"},
      {16777216.0f, "F12.1", "  16777220.0"}, // integer digits beyond the seventh are zeros
      {999999.94f, "F10.1", "  999999.9"},    // seven digits, none cut
      {999999.94f, "F10.0", "  1000000."},    // six kept, carried to seven
      {std::numeric_limits<float>::max(), "F41.1", largest_float_text},
      {std::numeric_limits<float>::max(), "F40.1", std::string(40, '*')},
      {0.5f, "F3.2", ".50"},
      {0.5f, "F2.2", "**"},
      {1.0f, "F2.0", "1."},
      {1.0f, "F1.0", "*"},
      {std::numeric_limits<float>::infinity(), "F6.2", "******"},
      {std::nanf(""), "F6.2", "******"},
  };
  for (const FieldCase &c : cases) {
    SCOPED_TRACE(std::string(c.descriptor) + " of " + std::to_string(c.value));
    EXPECT_EQ(shown_field(c.value, c.descriptor), c.field);
  }
}

TEST_F(FEditing, DescriptorLettersAndBlanksDoNotChangeTheField) {
  EXPECT_EQ(shown_field(1.64f, "f6.2"), "  1.64");
  EXPECT_EQ(shown_field(1.64f, " F 6 . 2 "), "  1.64");
  EXPECT_EQ(shown_field(1.64f, "F\t1 0.3"), "     1.640");
}

} // namespace
} // namespace recio_test
