// Shared fixtures for in-process tests of the record I/O layer.
#pragma once

#include "recio/runtime_error.hpp"
#include "recio/units.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <string>
#include <string_view>

namespace recio_test {

// Thrown by the test's termination step in place of ending the process.
struct RunEnded {
  int status;
};

// Collects what is written to a file descriptor while it lives, through a temporary file.
class CapturedFd {
public:
  explicit CapturedFd(int fd);
  ~CapturedFd();
  CapturedFd(const CapturedFd &) = delete;
  CapturedFd &operator=(const CapturedFd &) = delete;
  std::string text() const; // everything written so far
private:
  int fd_;
  int saved_;
  int file_;
};

// A file in a fresh temporary directory, removed with it.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

std::string read_file(const std::string &path);
// Everything a descriptor's file holds, read from its start without moving its offset.
std::string read_whole(int fd);
void write_file(const std::string &path, const std::string &contents);

// A descriptor reading the given bytes (a temporary file, rewound), for console input.
int input_from(const std::string &bytes);

// What a child process left behind: its standard output and error, and how it ended.
struct ChildResult {
  std::string out;
  std::string err;
  int exit_status = -1; // -1 when it was ended by a signal
  int signal = 0;
};

// Runs the body in a forked child with standard output and error captured; the child ends
// with status 99 if the body returns. The body runs the real exit path (no test termination
// step), so it sees exactly what the program would do.
ChildResult run_in_child(const std::function<void()> &body, const std::string &input = "");

// Runs the body; returns what it wrote to standard error when it ended the run (with status
// 1), or an empty text when it returned.
std::string report_of(const std::function<void()> &body);

// Fills the lowest free slot of the unit table as an open of a text file would: the file at
// path (created if missing, not cut), not yet in writing mode.
recio::UnitRecord &connect_file_unit(int unit_number, const std::string &path,
                                     std::string_view name, int flags = O_RDWR | O_CREAT);

// Each test starts from a new run: no unit connected, the console on standard input and
// output, reports ending in RunEnded instead of the process.
class RecioTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
};

} // namespace recio_test
