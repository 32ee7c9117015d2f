// Units: the state of each connected unit, the unit table, the two console records, and the
// frame of every run (start-up, handing buffered output to files, closing, the end of the run).
#pragma once

#include <array>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace recio {

// The unit argument that means the console.
inline constexpr int console = INT_MIN;

inline constexpr std::size_t file_buffer_size = 1024;
inline constexpr std::size_t console_buffer_size = 132;
inline constexpr std::size_t max_name_length = 259;
inline constexpr std::size_t unit_table_size = 61;

enum class UnitKind { console, text_file };
enum class UnitAccess { read_write, read_only, write_only };

struct UnitRecord {
  std::array<char, max_name_length> name_text{};
  std::size_t name_length = 0;
  int handle = -1;        // read from this handle (and write to it, for a file)
  int output_handle = -1; // a console record writes here
  UnitKind kind = UnitKind::text_file;
  UnitAccess access = UnitAccess::read_write;
  // A device named CON or USER: its writes and reads go through the console records.
  bool is_console_device = false;
  std::array<char, file_buffer_size> buffer{};
  std::size_t buffer_capacity = file_buffer_size;
  std::int32_t buffer_fill = 0;
  std::int32_t read_position = 0;
  std::int64_t position = 0; // byte offset in the file of the buffer's start
  bool line_open = false;    // console records: a shown record's line end is still owed
  bool writing = false;      // files: cut at the current position; the buffer may hold output
  bool at_end = false;       // the end of the input has been met
  bool interactive = false;  // console records: standard input and output are both terminals

  std::string_view name() const { return {name_text.data(), name_length}; }
  void set_name(std::string_view text);
};

struct UnitSlot {
  bool in_use = false;
  int unit_number = 0;
  UnitRecord record;
};

extern std::array<UnitSlot, unit_table_size> unit_table;
extern UnitRecord console_unit;
extern UnitRecord console_output_unit;
// True when standard input or output is redirected: console_output_unit then does the writing.
extern bool console_output_is_separate;

// The record every console write goes to.
UnitRecord &console_output_record();

// The connected unit of that number, or nullptr.
UnitRecord *find_unit(int unit_number);

// Connects the console, arms floating-point fault handling and registers end_of_run with
// the process-exit path.
void runtime_startup();

// Connects the console records for these handles (standard input and output at start-up).
void connect_console(int input_handle, int output_handle);

// Hands the buffer of a file in writing mode to the platform at `position`. A failure is
// reported with the given statement kind (WRITE while writing, CLOSE while closing).
void flush_unit(UnitRecord &unit, bool closing = false);

// Before the first record of a write is stored in a file's buffer: cuts the file at the
// current position the first time, so that earlier contents from there on are discarded.
void begin_file_output(UnitRecord &unit);

// Writes the owed line end of a console record, if any, and clears it.
void end_console_line(UnitRecord &unit);

void close_unit(int unit_number, std::string_view status);

// Writes the termination line and ends the process with status 0.
[[noreturn]] void stop_run();

// Run by the process-exit path: closes every connected unit in slot order, then ends the
// console's last line.
void end_of_run();

// Interrupts (SIGINT, SIGTERM, SIGHUP and SIGPIPE) hand every complete record that the file
// units hold to their files, then end the process as the signal's default would. While an
// object of this class lives they wait, so that a record is never left half written.
class DeferInterrupts {
public:
  DeferInterrupts();
  ~DeferInterrupts();
  DeferInterrupts(const DeferInterrupts &) = delete;
  DeferInterrupts &operator=(const DeferInterrupts &) = delete;

private:
  sigset_t saved_mask_;
};

void install_interrupt_handlers();

// Returns the unit state to that of a new run (the console records connected to standard
// input and output, no unit connected, end_of_run_started clear). For tests.
void reset_units_for_testing();

} // namespace recio
