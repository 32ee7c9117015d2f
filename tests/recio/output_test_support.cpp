#include "output_test_support.hpp"

#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace recio_test {

ScratchFd::ScratchFd() {
  char name[] = "/tmp/recio-output-XXXXXX";
  fd_ = ::mkstemp(name);
  if (fd_ < 0) {
    throw std::runtime_error("no temporary file");
  }
  ::unlink(name);
}

ScratchFd::~ScratchFd() { ::close(fd_); }

std::string ScratchFd::text() const { return read_whole(fd_); }

RedirectedConsole::RedirectedConsole() { recio::connect_console(input_.fd(), output_.fd()); }

TerminalConsole::TerminalConsole() {
  if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  termios settings{};
  ::tcgetattr(slave_, &settings);
  ::cfmakeraw(&settings); // bytes pass unchanged: no CR LF translation, no echo
  ::tcsetattr(slave_, TCSANOW, &settings);
  recio::connect_console(slave_, slave_);
}

TerminalConsole::~TerminalConsole() {
  ::close(slave_);
  ::close(master_);
}

std::string TerminalConsole::take_text() {
  std::string result;
  std::array<char, 4096> chunk{};
  int wait_ms = 2000;
  for (;;) {
    pollfd ready{master_, POLLIN, 0};
    if (::poll(&ready, 1, wait_ms) <= 0 || (ready.revents & POLLIN) == 0) {
      return result;
    }
    const ssize_t got = ::read(master_, chunk.data(), chunk.size());
    if (got <= 0) {
      return result;
    }
    result.append(chunk.data(), static_cast<std::size_t>(got));
    wait_ms = 100;
  }
}

std::string report_text(std::string_view number, std::string_view unit_name,
                        std::string_view message) {
  std::string text = "\r\nrun-time error ";
  text += number;
  text += ": WRITE(";
  text += unit_name;
  text += ")\r\n- ";
  text += message;
  text += "\r\n";
  return text;
}

} // namespace recio_test
