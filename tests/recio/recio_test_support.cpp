#include "recio_test_support.hpp"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace recio_test {
namespace {

[[noreturn]] void throw_run_ended(int status) { throw RunEnded{status}; }

int temporary_file() {
  char name[] = "/tmp/recio-capture-XXXXXX";
  const int fd = ::mkstemp(name);
  ::unlink(name);
  return fd;
}

} // namespace

CapturedFd::CapturedFd(int fd) : fd_(fd), saved_(::dup(fd)), file_(temporary_file()) {
  ::dup2(file_, fd_);
}

CapturedFd::~CapturedFd() {
  ::dup2(saved_, fd_);
  ::close(saved_);
  ::close(file_);
}

std::string CapturedFd::text() const { return read_whole(file_); }

TempDir::TempDir() {
  char name[] = "/tmp/recio-test-XXXXXX";
  path_ = ::mkdtemp(name);
}

TempDir::~TempDir() {
  const std::string command = "rm -rf '" + path_ + "'";
  (void)std::system(command.c_str());
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string &path, const std::string &contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

std::string read_whole(int fd) {
  std::string result;
  char chunk[4096];
  off_t offset = 0;
  ssize_t got = 0;
  while ((got = ::pread(fd, chunk, sizeof chunk, offset)) > 0) {
    result.append(chunk, static_cast<std::size_t>(got));
    offset += got;
  }
  return result;
}

std::string report_of(const std::function<void()> &body) {
  CapturedFd err(STDERR_FILENO);
  try {
    body();
  } catch (const RunEnded &ended) {
    EXPECT_EQ(ended.status, 1);
    return err.text();
  }
  return "";
}

recio::UnitRecord &connect_file_unit(int unit_number, const std::string &path,
                                     std::string_view name, int flags) {
  for (auto &slot : recio::unit_table) {
    if (!slot.in_use) {
      slot = recio::UnitSlot{};
      slot.in_use = true;
      slot.unit_number = unit_number;
      recio::UnitRecord &unit = slot.record;
      unit.handle = ::open(path.c_str(), flags, 0644);
      unit.kind = recio::UnitKind::text_file;
      unit.buffer_capacity = recio::file_buffer_size;
      unit.set_name(name);
      return unit;
    }
  }
  throw std::runtime_error("unit table full");
}

int input_from(const std::string &bytes) {
  const int fd = temporary_file();
  (void)!::write(fd, bytes.data(), bytes.size());
  ::lseek(fd, 0, SEEK_SET);
  return fd;
}

ChildResult run_in_child(const std::function<void()> &body, const std::string &input) {
  const int out_file = temporary_file();
  const int err_file = temporary_file();
  const int in_file = input_from(input);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in_file, STDIN_FILENO);
    ::dup2(out_file, STDOUT_FILENO);
    ::dup2(err_file, STDERR_FILENO);
    recio::set_termination_step(nullptr);
    recio::reset_units_for_testing();
    body();
    ::_exit(99);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ChildResult result;
  result.out = read_whole(out_file);
  result.err = read_whole(err_file);
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  ::close(out_file);
  ::close(err_file);
  ::close(in_file);
  return result;
}

void RecioTest::SetUp() {
  recio::reset_units_for_testing();
  recio::set_termination_step(&throw_run_ended);
}

void RecioTest::TearDown() {
  recio::reset_units_for_testing();
  recio::set_termination_step(nullptr);
}

} // namespace recio_test
