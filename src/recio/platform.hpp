// Thin wrappers over the POSIX calls the record I/O layer makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace recio {

// Hands all of the bytes to the file descriptor, continuing after short writes and
// interrupted calls. Returns 0, or the errno of the failure.
int write_all(int fd, const char *data, std::size_t size);
inline int write_all(int fd, std::string_view text) {
  return write_all(fd, text.data(), text.size());
}

// As write_all, but at a file offset (or at the current offset where the file cannot seek).
int write_all_at(int fd, const char *data, std::size_t size, std::int64_t offset);

bool is_terminal(int fd);

} // namespace recio
