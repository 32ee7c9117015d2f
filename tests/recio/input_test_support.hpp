// Fixtures for the tests of record input: console input from a pipe or a file, from a
// pseudo-terminal, and a data file on unit 15.
#pragma once

#include "recio_test_support.hpp"

#include <array>
#include <functional>
#include <string>

namespace input_test {

// The value an item holds before a read: an item that still holds it was left unchanged.
inline constexpr float kept = -777.0F;

using Four = std::array<float, 4>;

// Reads four reals from the unit, starting from items that hold `kept`.
Four read_four(int unit = recio::console);

// Reads two reals from the unit, asking to be told of the end of the file; returns the status.
int read_pair(int unit, float &first, float &second);

// The bytes as a test name shows them: quoted, escaped, long runs shortened.
std::string shown(const std::string &bytes);

using recio_test::report_of;

// The first line of a READ report, with the CR LF before it.
std::string read_report_head(int number, const std::string &unit_name = "CON");

// A pseudo-terminal in line mode, without echo, signals or output translation: what the test
// types arrives a line per request, and what the program writes arrives byte for byte.
class Terminal {
public:
  Terminal();
  ~Terminal();
  Terminal(const Terminal &) = delete;
  Terminal &operator=(const Terminal &) = delete;
  int device() const { return slave_; }
  void type(const std::string &bytes) const;
  // What the program has written to the terminal since the last call.
  std::string shown() const;

private:
  int master_ = -1;
  int slave_ = -1;
};

class InputTest : public recio_test::RecioTest {
protected:
  void TearDown() override;
  // Console input from a file, as when standard input is redirected; output to a file.
  void console_reads(const std::string &bytes);
  // Console input from the given descriptor, which the test then owns.
  void console_reads_from(int fd);
  // The terminal as both console input and console output.
  void console_is(const Terminal &terminal);
  // Connects unit 15 to a file that holds these bytes; returns its name.
  std::string data_file_holds(const std::string &bytes);
  std::string console_output() const;

private:
  recio_test::TempDir dir_;
  int input_ = -1;
  int output_ = -1;
};

} // namespace input_test
