#include "format/FileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

// Closes the descriptor however the reading ends.
class TReadDescriptor {
 public:
  explicit TReadDescriptor(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~TReadDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TReadDescriptor(const TReadDescriptor&) = delete;
  TReadDescriptor& operator=(const TReadDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path, int error) {
  throw EFileError(what + " \"" + path + "\": " + std::strerror(error));
}

}  // namespace

std::string ReadFileContents(const std::string& path) {
  const TReadDescriptor file(path);
  if (file.Get() < 0) RaiseFileError("Cannot open file", path, errno);
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) RaiseFileError("Cannot open file", path, errno);
  if (S_ISDIR(st.st_mode)) RaiseFileError("Cannot open file", path, EISDIR);
  std::string bytes;
  bytes.reserve(S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0);
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(file.Get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseFileError("Cannot read file", path, errno);
    if (n == 0) return bytes;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace qrl
