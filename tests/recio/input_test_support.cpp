#include "input_test_support.hpp"

#include "recio/input.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace input_test {

using recio_test::RunEnded;

Four read_four(int unit) {
  Four values{kept, kept, kept, kept};
  const std::array<float *, 4> items{&values[0], &values[1], &values[2], &values[3]};
  recio::read_free(unit, items, false);
  return values;
}

int read_pair(int unit, float &first, float &second) {
  const std::array<float *, 2> items{&first, &second};
  return recio::read_free(unit, items, true);
}

std::string shown(const std::string &bytes) {
  constexpr std::size_t longest = 60;
  if (bytes.size() <= longest) {
    return ::testing::PrintToString(bytes);
  }
  return ::testing::PrintToString(bytes.substr(0, longest)) + " ... (" +
         std::to_string(bytes.size()) + " bytes)";
}

std::string read_report_head(int number, const std::string &unit_name) {
  return "\r\nrun-time error F" + std::to_string(number) + ": READ(" + unit_name + ")\r\n";
}

Terminal::Terminal() {
  if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  termios mode{};
  ::tcgetattr(slave_, &mode);
  mode.c_lflag |= ICANON;
  mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ISIG);
  mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  ::tcsetattr(slave_, TCSANOW, &mode);
}

Terminal::~Terminal() {
  ::close(slave_);
  ::close(master_);
}

void Terminal::type(const std::string &bytes) const {
  (void)!::write(master_, bytes.data(), bytes.size());
}

std::string Terminal::shown() const {
  std::string text;
  pollfd ready{master_, POLLIN, 0};
  while (::poll(&ready, 1, 100) == 1 && (ready.revents & POLLIN) != 0) {
    char chunk[256];
    const ssize_t got = ::read(master_, chunk, sizeof chunk);
    if (got <= 0) {
      break;
    }
    text.append(chunk, static_cast<std::size_t>(got));
  }
  return text;
}

void InputTest::TearDown() {
  recio_test::RecioTest::TearDown();
  for (const int fd : {input_, output_}) {
    if (fd >= 0) {
      ::close(fd);
    }
  }
}

void InputTest::console_reads(const std::string &bytes) {
  console_reads_from(recio_test::input_from(bytes));
}

void InputTest::console_reads_from(int fd) {
  input_ = fd;
  output_ = recio_test::input_from("");
  recio::connect_console(input_, output_);
}

void InputTest::console_is(const Terminal &terminal) {
  recio::connect_console(terminal.device(), terminal.device());
}

std::string InputTest::data_file_holds(const std::string &bytes) {
  const std::string path = dir_.file("data.txt");
  recio_test::write_file(path, bytes);
  recio_test::connect_file_unit(15, path, path, O_RDONLY);
  return path;
}

std::string InputTest::console_output() const { return recio_test::read_whole(output_); }

} // namespace input_test
