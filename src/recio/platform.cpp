#include "recio/platform.hpp"

#include <cerrno>
#include <unistd.h>

namespace recio {

int write_all(int fd, const char *data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

int write_all_at(int fd, const char *data, std::size_t size, std::int64_t offset) {
  while (size > 0) {
    const ssize_t written = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      if (errno == ESPIPE) {
        return write_all(fd, data, size); // pipes and devices: no offsets
      }
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
    offset += written;
  }
  return 0;
}

bool is_terminal(int fd) { return ::isatty(fd) == 1; }

} // namespace recio
