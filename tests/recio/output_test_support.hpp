// Fixtures for the record output tests: the console connected to a file (redirected) or to a
// pseudo-terminal (interactive), and file units filled into the unit table by hand.
#pragma once

#include "recio/units.hpp"
#include "recio_test_support.hpp"

#include <string>
#include <string_view>

namespace recio_test {

// A temporary file descriptor, read back whole.
class ScratchFd {
public:
  ScratchFd();
  ~ScratchFd();
  ScratchFd(const ScratchFd &) = delete;
  ScratchFd &operator=(const ScratchFd &) = delete;
  int fd() const { return fd_; }
  std::string text() const;

private:
  int fd_;
};

// The console with input and output redirected to files: separate input and output records.
class RedirectedConsole {
public:
  RedirectedConsole();
  std::string text() const { return output_.text(); }

private:
  ScratchFd input_;
  ScratchFd output_;
};

// The console on the slave side of a pseudo-terminal in raw mode, for both directions: one
// console record, interactive. What the program writes is read from the master side.
class TerminalConsole {
public:
  TerminalConsole();
  ~TerminalConsole();
  TerminalConsole(const TerminalConsole &) = delete;
  TerminalConsole &operator=(const TerminalConsole &) = delete;
  // Everything written since the last call: waits for the first byte, then until the
  // terminal has been quiet for a moment.
  std::string take_text();

private:
  int master_ = -1;
  int slave_ = -1;
};

// The bytes of a report on standard error.
std::string report_text(std::string_view number, std::string_view unit_name,
                        std::string_view message);

} // namespace recio_test
