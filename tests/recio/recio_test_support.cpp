#include "recio_test_support.hpp"

#include <cstdlib>
#include <fstream>
#include <iterator>
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

std::string CapturedFd::text() const {
  std::string result;
  char chunk[4096];
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(file_, chunk, sizeof chunk, offset);
    if (got <= 0) {
      return result;
    }
    result.append(chunk, static_cast<std::size_t>(got));
    offset += got;
  }
}

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

int input_from(const std::string &bytes) {
  const int fd = temporary_file();
  (void)!::write(fd, bytes.data(), bytes.size());
  ::lseek(fd, 0, SEEK_SET);
  return fd;
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
