// A run stopped from outside: an interrupt or termination signal, or standard output piped
// into a reader that quits early. The results file must still hold every row written before.
#include "e2e_support.hpp"
#include "expected_text.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace e2e {
namespace {

using namespace std::chrono_literals;

std::size_t count_of(const std::string &text, const std::string &part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// smrpower with standard input, output and error on pipes, driven step by step.
class PipedProcess {
public:
  PipedProcess(const WorkDir &dir, const std::string &input) {
    const PipedChild child = start_piped(dir);
    pid_ = child.pid;
    out_fd_ = child.output;
    err_fd_ = child.error;
    // The answers are short: the pipe takes them at once.
    (void)!::write(child.input, input.data(), input.size());
    ::close(child.input);
  }

  ~PipedProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    close_output();
    ::close(err_fd_);
  }

  PipedProcess(const PipedProcess &) = delete;
  PipedProcess &operator=(const PipedProcess &) = delete;

  // Reads standard output until the text has been seen `times` times.
  bool wait_for_output(const std::string &text, std::size_t times) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (count_of(out_, text) < times) {
      if (std::chrono::steady_clock::now() > deadline) {
        return false;
      }
      pollfd fds{out_fd_, POLLIN, 0};
      if (::poll(&fds, 1, 50) > 0) {
        char chunk[4096];
        const ssize_t got = ::read(out_fd_, chunk, sizeof chunk);
        if (got <= 0) {
          return false;
        }
        out_.append(chunk, static_cast<std::size_t>(got));
      }
    }
    return true;
  }

  // Waits until the process sleeps in a system call: here, the read of its data file.
  bool wait_until_blocked() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    const std::string stat_path = "/proc/" + std::to_string(pid_) + "/stat";
    while (std::chrono::steady_clock::now() < deadline) {
      std::ifstream stat(stat_path);
      std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
      const auto name_end = text.rfind(')');
      if (name_end != std::string::npos && name_end + 2 < text.size() &&
          text[name_end + 2] == 'S') {
        return true;
      }
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }

  void close_output() {
    if (out_fd_ >= 0) {
      ::close(out_fd_);
      out_fd_ = -1;
    }
  }

  void send_signal(int signal) { ::kill(pid_, signal); }

  // Waits for the end of the process; collects the rest of its output while it lasts.
  RunResult finish() {
    RunResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
      drain(out_fd_, out_);
      drain(err_fd_, err_);
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(5ms);
    }
    pid_ = -1;
    drain(out_fd_, out_);
    drain(err_fd_, err_);
    record_status(status, result);
    result.out = out_;
    result.err = err_;
    return result;
  }

private:
  static void drain(int fd, std::string &into) {
    if (fd < 0) {
      return;
    }
    pollfd fds{fd, POLLIN, 0};
    while (::poll(&fds, 1, 0) > 0) {
      char chunk[4096];
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got <= 0) {
        return;
      }
      into.append(chunk, static_cast<std::size_t>(got));
    }
  }

  pid_t pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  std::string out_;
  std::string err_;
};

// The writing end of a FIFO that serves as the data file, so that the run waits in the
// middle of its data for as long as the test wants.
class DataFifo {
public:
  DataFifo(const WorkDir &dir, const std::string &name) : path_(dir.file(name)) {
    if (::mkfifo(path_.c_str(), 0600) != 0) {
      std::abort();
    }
  }
  ~DataFifo() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  DataFifo(const DataFifo &) = delete;
  DataFifo &operator=(const DataFifo &) = delete;

  // Opens the writing end once the program holds the reading end.
  bool open_for_writing() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      fd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd_ >= 0) {
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        return true;
      }
      if (errno != ENXIO) {
        return false;
      }
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }

  void write(const std::string &text) { (void)!::write(fd_, text.data(), text.size()); }

private:
  std::string path_;
  int fd_ = -1;
};

const std::string answers = "y\nres.txt\ny\ndata.fifo\n1.64 2\n";
const std::string pairs = "10 5\n3 5\n60 40\n";
const std::string last_power_shown = "Power:  .9998"; // of the third pair, 60 40

std::string three_rows() {
  return results_header() + row_164_2_10_5() +
         results_row("  1.64", "  2.00", "  3.00", "  5.00", known::r_164_2_3_5) +
         results_row("  1.64", "  2.00", " 60.00", " 40.00", known::r_164_2_60_40);
}

// A data-file run with a results file whose data file is a FIFO, so that the run waits in the
// middle of its data for as long as the test wants.
class MidFileRun : public ::testing::Test {
protected:
  MidFileRun() : data(dir, "data.fifo"), run(dir, answers) {}

  // Writes the pairs, then waits until the power shown last has appeared `times` times and
  // the run waits for the next pair: every row so far is stored.
  ::testing::AssertionResult evaluates(const std::string &pairs_text, const std::string &power,
                                       std::size_t times) {
    if (!data.open_for_writing()) {
      return ::testing::AssertionFailure() << "the data file was never opened";
    }
    data.write(pairs_text);
    if (!run.wait_for_output(power, times)) {
      return ::testing::AssertionFailure() << "\"" << power << "\" not shown " << times << " times";
    }
    if (!run.wait_until_blocked()) {
      return ::testing::AssertionFailure() << "the run never waited for more data";
    }
    return ::testing::AssertionSuccess();
  }

  WorkDir dir;
  DataFifo data;
  PipedProcess run;
};

class SignalMidFile : public MidFileRun, public ::testing::WithParamInterface<int> {};

TEST_P(SignalMidFile, KeepsEveryRowWrittenBeforeIt) {
  const int signal = GetParam();
  ASSERT_TRUE(evaluates(pairs, last_power_shown, 1));
  run.send_signal(signal);
  const RunResult result = run.finish();

  EXPECT_EQ(result.signal, signal);
  EXPECT_EQ(result.out.find("Stop - Program terminated."), std::string::npos);
  EXPECT_EQ(result.err, "");
  // Three rows and the header are far below the 1024 bytes of the file's buffer.
  EXPECT_EQ(dir.read("res.txt"), three_rows());
}

std::string signal_name(const ::testing::TestParamInfo<int> &info) {
  switch (info.param) {
  case SIGINT:
    return "Interrupt";
  case SIGTERM:
    return "Terminate";
  case SIGHUP:
    return "HangUp";
  }
  return "Signal" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalMidFile, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         signal_name);

// Rows past the first 1024 bytes: one buffer has gone to the file, the rest is still held.
TEST_F(MidFileRun, InterruptKeepsRowsBeyondTheFirstBuffer) {
  std::string twenty_pairs;
  std::string expected = results_header();
  for (int i = 0; i < 20; ++i) {
    twenty_pairs += "10 5\n";
    expected += row_164_2_10_5();
  }
  ASSERT_TRUE(evaluates(twenty_pairs, "Power:  .5841", 20));
  run.send_signal(SIGINT);
  const RunResult result = run.finish();

  EXPECT_EQ(result.signal, SIGINT);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(dir.read("res.txt"), expected);
}

TEST_F(MidFileRun, ReaderQuittingEarlyKeepsEveryRowWrittenBeforeIt) {
  std::signal(SIGPIPE, SIG_IGN); // the FIFO may outlive its reader here
  ASSERT_TRUE(evaluates(pairs, last_power_shown, 1));
  run.close_output();
  data.write("12 5\n"); // its result block meets the closed pipe
  const RunResult result = run.finish();

  EXPECT_EQ(result.signal, SIGPIPE);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(dir.read("res.txt"), three_rows());
}

// Ctrl-C typed at the keyboard while the program waits for a record, as the banner offers.
TEST(TypedInterrupt, KeepsTheRowsOfTheRecordsTyped) {
  WorkDir dir;
  dir.write("res.txt", std::string(2000, 'x')); // cut by the header's write
  PtySession session(dir, true);
  ASSERT_TRUE(session.wait_for("(y/n)?\r\n", 10s));
  session.type_line("y");
  ASSERT_TRUE(session.wait_for("(file to be overwritten)\r\n", 10s));
  session.type_line("res.txt");
  ASSERT_TRUE(session.wait_for("(y/n)?\r\n", 10s));
  session.type_line("n");
  ASSERT_TRUE(session.wait_for("Zalpha<0\r\n", 10s));
  session.type_line("1.64 2 10 5");
  ASSERT_TRUE(session.wait_for("Power:  .5841\r\n\r\nEnter Zalpha (1.64 for 1 sided), theoretical "
                               "SMR, observed O and E (free format)\r\nTo stop program, enter "
                               "Zalpha<0\r\n",
                               10s));
  session.send_bytes("\x03");
  const RunResult result = session.finish();

  EXPECT_EQ(result.signal, SIGINT);
  EXPECT_EQ(result.out.find("Stop - Program terminated."), std::string::npos);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(dir.read("res.txt"), results_header() + row_164_2_10_5());
}

} // namespace
} // namespace e2e
