// Running the built smrpower as a user would: through pipes, or in a pseudo-terminal.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

struct RunResult {
  std::string out;
  std::string err;
  int exit_status = -1; // -1 when a signal ended the process
  int signal = 0;
};

// A fresh directory for the files of one run, removed afterwards.
class WorkDir {
public:
  WorkDir();
  ~WorkDir();
  WorkDir(const WorkDir &) = delete;
  WorkDir &operator=(const WorkDir &) = delete;
  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  std::string read(const std::string &name) const;
  void write(const std::string &name, const std::string &contents) const;
  bool exists(const std::string &name) const;

private:
  std::string path_;
};

// smrpower started in the directory with standard input, output and error on pipes: the
// test's ends of the three pipes. SIGPIPE has its default action in the child, whatever the
// test process has chosen for itself.
struct PipedChild {
  pid_t pid;
  int input;
  int output;
  int error;
};
PipedChild start_piped(const WorkDir &dir, const std::vector<std::string> &args = {});

// Fills the exit status, or the signal that ended the process, from a waitpid status.
void record_status(int status, RunResult &result);

// Runs smrpower in the directory with the given standard input (a pipe, closed after the
// bytes) and arguments; standard output and error are pipes too.
RunResult run_piped(const WorkDir &dir, const std::string &input,
                    const std::vector<std::string> &args = {});

// smrpower with standard input and output on a pseudo-terminal (standard error on a pipe).
class PtySession {
public:
  // raw: no echo and no output translation, so the master sees the program's bytes exactly.
  PtySession(const WorkDir &dir, bool raw, const std::vector<std::string> &args = {});
  ~PtySession();
  PtySession(const PtySession &) = delete;
  PtySession &operator=(const PtySession &) = delete;

  // Waits until everything read so far ends with the text (or the timeout passes).
  bool wait_for(const std::string &text,
                std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  // Types a line and Enter.
  void type_line(const std::string &line);
  void send_bytes(const std::string &bytes);
  void send_signal(int signal);
  // Waits for the process to end and collects the rest of its output.
  RunResult finish();
  const std::string &screen_bytes() const { return out_; }
  pid_t pid() const { return pid_; }

private:
  void pump(std::chrono::milliseconds timeout);
  int master_ = -1;
  int err_ = -1;
  pid_t pid_ = -1;
  std::string out_;
  std::string err_text_;
};

// Renders terminal bytes as the lines a screen would show (CR returns to column 1, LF moves
// down, other bytes overwrite at the cursor); trailing blanks are dropped.
std::vector<std::string> render_screen(const std::string &bytes);

} // namespace e2e
