#include "e2e_support.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace e2e {
namespace {

std::vector<char *> argv_for(const std::vector<std::string> &args) {
  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(SMRPOWER_PATH));
  for (const auto &arg : args) {
    argv.push_back(const_cast<char *>(arg.c_str()));
  }
  argv.push_back(nullptr);
  return argv;
}

[[noreturn]] void exec_smrpower(const WorkDir &dir, const std::vector<std::string> &args) {
  if (::chdir(dir.path().c_str()) != 0) {
    ::_exit(126);
  }
  std::vector<char *> argv = argv_for(args);
  ::execv(SMRPOWER_PATH, argv.data());
  ::_exit(127);
}

void read_available(int fd, std::string &into) {
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      into.append(chunk, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) {
      continue;
    }
    return; // 0: end; EAGAIN: nothing more now; EIO: the terminal's other side is closed
  }
}

void set_nonblocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

} // namespace

void record_status(int status, RunResult &result) {
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
}

WorkDir::WorkDir() {
  char name[] = "/tmp/smrpower-e2e-XXXXXX";
  path_ = ::mkdtemp(name);
}

WorkDir::~WorkDir() {
  const std::string command = "chmod -R u+rwx '" + path_ + "' && rm -rf '" + path_ + "'";
  (void)std::system(command.c_str());
}

std::string WorkDir::read(const std::string &name) const {
  std::ifstream in(file(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WorkDir::write(const std::string &name, const std::string &contents) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out << contents;
}

bool WorkDir::exists(const std::string &name) const {
  return ::access(file(name).c_str(), F_OK) == 0;
}

PipedChild start_piped(const WorkDir &dir, const std::vector<std::string> &args) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) {
    std::abort();
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      ::close(fd);
    }
    ::signal(SIGPIPE, SIG_DFL);
    exec_smrpower(dir, args);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  return {pid, in[1], out[0], err[0]};
}

RunResult run_piped(const WorkDir &dir, const std::string &input,
                    const std::vector<std::string> &args) {
  const PipedChild child = start_piped(dir, args);
  // Feed the input from a thread, so that a program that stops reading early cannot block us.
  std::thread feeder([fd = child.input, &input] {
    std::signal(SIGPIPE, SIG_IGN);
    std::size_t done = 0;
    while (done < input.size()) {
      const ssize_t n = ::write(fd, input.data() + done, input.size() - done);
      if (n <= 0) {
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
  });
  RunResult result;
  pollfd fds[2] = {{child.output, POLLIN, 0}, {child.error, POLLIN, 0}};
  int open_pipes = 2;
  while (open_pipes > 0) {
    if (::poll(fds, 2, 10000) <= 0) {
      ::kill(child.pid, SIGKILL);
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      char chunk[4096];
      const ssize_t got = ::read(fds[i].fd, chunk, sizeof chunk);
      if (got > 0) {
        (i == 0 ? result.out : result.err).append(chunk, static_cast<std::size_t>(got));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  int status = 0;
  ::waitpid(child.pid, &status, 0);
  feeder.join();
  record_status(status, result);
  return result;
}

PtySession::PtySession(const WorkDir &dir, bool raw, const std::vector<std::string> &args) {
  int slave = -1;
  termios mode{};
  winsize size{};
  size.ws_row = 50;
  size.ws_col = 132;
  if (::openpty(&master_, &slave, nullptr, nullptr, &size) != 0) {
    std::abort();
  }
  ::tcgetattr(slave, &mode);
  if (raw) {
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  }
  ::tcsetattr(slave, TCSANOW, &mode);
  int err[2];
  if (::pipe(err) != 0) {
    std::abort();
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setsid();
    ::ioctl(slave, TIOCSCTTY, 0);
    ::dup2(slave, STDIN_FILENO);
    ::dup2(slave, STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::close(slave);
    ::close(master_);
    ::close(err[0]);
    ::close(err[1]);
    exec_smrpower(dir, args);
  }
  ::close(slave);
  ::close(err[1]);
  err_ = err[0];
  set_nonblocking(master_);
  set_nonblocking(err_);
}

PtySession::~PtySession() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ::close(master_);
  ::close(err_);
}

void PtySession::pump(std::chrono::milliseconds timeout) {
  pollfd fds[2] = {{master_, POLLIN, 0}, {err_, POLLIN, 0}};
  if (::poll(fds, 2, static_cast<int>(timeout.count())) > 0) {
    read_available(master_, out_);
    read_available(err_, err_text_);
  }
}

bool PtySession::wait_for(const std::string &text, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!(out_.size() >= text.size() &&
           out_.compare(out_.size() - text.size(), text.size(), text) == 0)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return false;
    }
    pump(std::min(left, std::chrono::milliseconds(50)));
  }
  return true;
}

void PtySession::type_line(const std::string &line) { send_bytes(line + "\r"); }

void PtySession::send_bytes(const std::string &bytes) {
  (void)!::write(master_, bytes.data(), bytes.size());
}

void PtySession::send_signal(int signal) { ::kill(pid_, signal); }

RunResult PtySession::finish() {
  RunResult result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    pump(std::chrono::milliseconds(20));
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
  }
  pid_ = -1;
  pump(std::chrono::milliseconds(20));
  read_available(master_, out_);
  read_available(err_, err_text_);
  record_status(status, result);
  result.out = out_;
  result.err = err_text_;
  return result;
}

std::vector<std::string> render_screen(const std::string &bytes) {
  std::vector<std::string> lines(1);
  std::size_t row = 0, column = 0;
  for (char c : bytes) {
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      ++row;
      if (row == lines.size()) {
        lines.emplace_back();
      }
    } else {
      std::string &line = lines[row];
      if (line.size() <= column) {
        line.resize(column + 1, ' ');
      }
      line[column++] = c;
    }
  }
  for (auto &line : lines) {
    line.erase(line.find_last_not_of(' ') + 1);
  }
  while (!lines.empty() && lines.back().empty()) {
    lines.pop_back();
  }
  return lines;
}

} // namespace e2e
