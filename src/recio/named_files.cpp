#include "recio/named_files.hpp"

#include "recio/input.hpp"
#include "recio/platform.hpp"
#include "recio/runtime_error.hpp"
#include "recio/units.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recio {
namespace {

// A file name being opened: at most max_name_length characters, kept NUL-terminated for the
// platform's calls.
class NameWorkArea {
public:
  void assign_stripped(std::string_view text) {
    text = text.substr(0, max_name_length);
    const auto first = text.find_first_not_of(' ');
    text = first == std::string_view::npos ? std::string_view{} : text.substr(first);
    text = text.substr(0, text.find_last_not_of(' ') + 1);
    length_ = text.size();
    std::copy(text.begin(), text.end(), text_.begin());
    text_[length_] = '\0';
  }
  bool blank() const { return length_ == 0; }
  std::string_view view() const { return {text_.data(), length_}; }
  const char *c_str() const { return text_.data(); }

private:
  std::array<char, max_name_length + 1> text_{};
  std::size_t length_ = 0;
};

NameWorkArea work_area;

int argument_count = 0;
const char *const *arguments = nullptr;
int command_line_cursor = 1; // the first argument after the program's own name

enum class Device { none, console, standard_error, null, unavailable };

struct DeviceName {
  std::string_view name;
  Device device;
};

// Device names of the console and its neighbours. Serial and printer ports name no device on
// this platform: opening one is reported as a missing file, and no file of that name is made.
constexpr std::array device_names{
    DeviceName{"CON", Device::console},        DeviceName{"USER", Device::console},
    DeviceName{"ERR", Device::standard_error}, DeviceName{"NUL", Device::null},
    DeviceName{"AUX", Device::unavailable},    DeviceName{"LINE", Device::unavailable},
    DeviceName{"PRN", Device::unavailable},    DeviceName{"COM1", Device::unavailable},
    DeviceName{"COM2", Device::unavailable},   DeviceName{"COM3", Device::unavailable},
    DeviceName{"COM4", Device::unavailable},   DeviceName{"LPT1", Device::unavailable},
    DeviceName{"LPT2", Device::unavailable},   DeviceName{"LPT3", Device::unavailable},
    DeviceName{"LPT4", Device::unavailable},
};

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

// The part of the name before its last "." names a device when it is 3 or 4 characters long
// and in the table. An extension is dropped (con.txt is the console), except that a name
// beginning with E, L or U that has one is an ordinary file (err.txt, line.dat, user.dat).
Device device_named(std::string_view name) {
  const auto dot = name.rfind('.');
  const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
  if (stem.size() != 3 && stem.size() != 4) {
    return Device::none;
  }
  if (dot != std::string_view::npos) {
    const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(name.front())));
    if (first == 'E' || first == 'L' || first == 'U') {
      return Device::none;
    }
  }
  for (const auto &entry : device_names) {
    if (equal_ignoring_case(stem, entry.name)) {
      return entry.device;
    }
  }
  return Device::none;
}

[[noreturn]] void fail_open(int number) {
  report_io_error(number, StatementKind::open, work_area.view());
  exit_run(1); // not reached: only end_of_run's closing lets a report return
}

int open_failure_number(int error) {
  switch (error) {
  case ENOENT:
  case ENOTDIR:
    return error_number::file_not_found;
  case EACCES:
  case EPERM:
  case EROFS:
  case EISDIR:
  case ETXTBSY:
    return error_number::access_denied;
  case EEXIST:
    return error_number::file_exists;
  case EINVAL:
  case ENAMETOOLONG:
  case EILSEQ:
    return error_number::invalid_file_name;
  case EMFILE:
  case ENFILE:
    return error_number::too_many_open_files;
  default:
    return error_number::open_failed;
  }
}

void write_console_text(std::string_view text) {
  (void)write_all(console_output_record().output_handle, text);
}

void write_unit_prompt(int unit) {
  std::array<char, 16> digits{};
  const auto end = std::to_chars(digits.begin(), digits.end(), unit).ptr;
  write_console_text("File name missing or blank - please enter file name\r\nUNIT ");
  write_console_text({digits.data(), static_cast<std::size_t>(end - digits.begin())});
  write_console_text("? ");
}

// A blank name: the next command-line argument, or else the console's answer to a prompt,
// repeated until it is not blank. The prompt and its answer bypass record editing.
void prompt_for_file_name(int unit) {
  if (arguments != nullptr && command_line_cursor < argument_count) {
    work_area.assign_stripped(arguments[command_line_cursor++]);
    if (!work_area.blank()) {
      return;
    }
  } else if (console_output_record().line_open) {
    write_console_text("\r\n");
  }
  std::array<char, max_name_length + 1> answer{};
  while (work_area.blank()) {
    write_unit_prompt(unit);
    std::size_t length = 0;
    if (!read_console_answer_line(answer, length)) {
      report_io_error(error_number::end_of_file, StatementKind::read, console_unit.name());
      exit_run(1);
    }
    work_area.assign_stripped({answer.data(), length});
  }
}

UnitSlot *lowest_free_slot() {
  for (auto &slot : unit_table) {
    if (!slot.in_use) {
      return &slot;
    }
  }
  return nullptr;
}

UnitSlot *slot_of(int unit) {
  for (auto &slot : unit_table) {
    if (slot.in_use && slot.unit_number == unit) {
      return &slot;
    }
  }
  return nullptr;
}

bool same_file(const UnitRecord &record, const struct stat &file) {
  struct stat connected {};
  return record.kind == UnitKind::text_file && ::fstat(record.handle, &connected) == 0 &&
         connected.st_dev == file.st_dev && connected.st_ino == file.st_ino;
}

// Step 4 of an open: the same file (device and inode) on another unit ends the run; for
// devices the names are compared instead, and the null device may be shared.
void check_not_connected_elsewhere(int unit, Device device, const struct stat *file) {
  for (const auto &slot : unit_table) {
    if (!slot.in_use || slot.unit_number == unit) {
      continue;
    }
    const bool clash =
        device == Device::none
            ? file != nullptr && same_file(slot.record, *file)
            : device != Device::null && equal_ignoring_case(slot.record.name(), work_area.view());
    if (clash) {
      fail_open(error_number::file_connected_elsewhere);
    }
  }
}

// Opens an existing file read-write, else read only, else write only.
int open_existing(UnitAccess &access) {
  constexpr int common = O_CLOEXEC | O_NOCTTY;
  const std::array<std::pair<int, UnitAccess>, 3> attempts{{{O_RDWR, UnitAccess::read_write},
                                                            {O_RDONLY, UnitAccess::read_only},
                                                            {O_WRONLY, UnitAccess::write_only}}};
  int error = 0;
  for (const auto &[flags, obtained] : attempts) {
    const int handle = ::open(work_area.c_str(), flags | common);
    if (handle >= 0) {
      access = obtained;
      return handle;
    }
    error = errno;
  }
  fail_open(open_failure_number(error));
}

UnitRecord &claim_slot(int unit) {
  UnitSlot *slot = lowest_free_slot();
  if (slot == nullptr) {
    fail_open(error_number::unit_table_full);
  }
  *slot = UnitSlot{};
  slot->in_use = true;
  slot->unit_number = unit;
  slot->record.set_name(work_area.view());
  return slot->record;
}

void connect_device(int unit, Device device) {
  if (device == Device::unavailable) {
    fail_open(error_number::file_not_found);
  }
  int handle = -1;
  UnitAccess access = UnitAccess::read_write;
  if (device == Device::null) {
    NameWorkArea shown = work_area;
    work_area.assign_stripped("/dev/null");
    handle = open_existing(access);
    work_area = shown;
  }
  UnitRecord &record = claim_slot(unit);
  record.kind = UnitKind::console;
  record.buffer_capacity = console_buffer_size;
  record.access = access;
  record.is_console_device = device == Device::console;
  record.handle = device == Device::console ? console_unit.handle : handle;
  record.output_handle = device == Device::console ? console_output_record().output_handle
                         : device == Device::null  ? handle
                                                   : STDERR_FILENO;
}

void connect_file(int unit, const struct stat *existing, OpenStatus status) {
  if (existing != nullptr && S_ISDIR(existing->st_mode)) {
    fail_open(error_number::access_denied);
  }
  if (existing == nullptr && status == OpenStatus::old) {
    fail_open(error_number::file_not_found);
  }
  if (lowest_free_slot() == nullptr) {
    fail_open(error_number::unit_table_full);
  }
  UnitAccess access = UnitAccess::read_write;
  int handle = -1;
  if (existing != nullptr) {
    handle = open_existing(access);
  } else {
    handle = ::open(work_area.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (handle < 0) {
      fail_open(open_failure_number(errno));
    }
  }
  UnitRecord &record = claim_slot(unit);
  record.handle = handle;
  record.kind = UnitKind::text_file;
  record.access = access;
  record.buffer_capacity = file_buffer_size;
  record.writing = existing == nullptr; // a new file is empty: nothing to cut at its first write
}

} // namespace

void set_command_line(int argc, const char *const *argv) {
  argument_count = argc;
  arguments = argv;
  command_line_cursor = 1;
}

void open_unit(int unit, std::string_view name, OpenStatus status) {
  work_area.assign_stripped(name);
  if (work_area.blank()) {
    prompt_for_file_name(unit);
  }
  const Device device = device_named(work_area.view());
  struct stat file {};
  const bool exists = device == Device::none && ::stat(work_area.c_str(), &file) == 0;
  check_not_connected_elsewhere(unit, device, exists ? &file : nullptr);

  if (UnitSlot *current = slot_of(unit)) {
    const bool same = device == Device::none
                          ? exists && same_file(current->record, file)
                          : equal_ignoring_case(current->record.name(), work_area.view());
    if (same) {
      return;
    }
    close_unit(unit, "keep");
  }
  if (device != Device::none) {
    connect_device(unit, device);
  } else {
    connect_file(unit, exists ? &file : nullptr, status);
  }
}

} // namespace recio
