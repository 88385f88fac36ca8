#include "format/StreamStorage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& fileName, int error) {
  throw EFileError(what + " \"" + fileName + "\": " + std::strerror(error));
}

}  // namespace

TFileStorage::TFileStorage(const std::string& fileName, TOpenMode mode) : fileName_(fileName) {
  const bool reading = mode == TOpenMode::fmOpenRead;
  fd_ = reading ? ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC)
                : ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const char* failure = reading ? "Cannot open file" : "Cannot create file";
  if (fd_ < 0) RaiseFileError(failure, fileName, errno);
  struct stat st {};
  int error = 0;
  if (::fstat(fd_, &st) != 0)
    error = errno;
  else if (S_ISDIR(st.st_mode))
    error = EISDIR;
  if (error != 0) {
    ::close(fd_);
    RaiseFileError(failure, fileName, error);
  }
  size_ = st.st_size;
}

TFileStorage::~TFileStorage() { ::close(fd_); }

std::int64_t TFileStorage::ReadAt(void* destination, std::int64_t count, std::int64_t offset) {
  auto* dest = static_cast<std::uint8_t*>(destination);
  std::int64_t got = 0;
  while (got < count) {
    const ssize_t n = ::pread(fd_, dest + got, static_cast<std::size_t>(count - got), offset + got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseFileError("Cannot read file", fileName_, errno);
    if (n == 0) break;
    got += n;
  }
  return got;
}

void TFileStorage::WriteAt(const void* source, std::int64_t count, std::int64_t offset) {
  const auto* src = static_cast<const std::uint8_t*>(source);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::pwrite(fd_, src + done, static_cast<std::size_t>(count - done), offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RaiseFileError("Cannot write to file", fileName_, n < 0 ? errno : EIO);
    done += n;
  }
  size_ = std::max(size_, offset + count);
}

std::int64_t TMemoryStorage::ReadAt(void* destination, std::int64_t count, std::int64_t offset) {
  const std::int64_t n = std::clamp<std::int64_t>(Size() - offset, 0, count);
  if (n > 0) std::memcpy(destination, bytes_.data() + offset, static_cast<std::size_t>(n));
  return n;
}

void TMemoryStorage::WriteAt(const void* source, std::int64_t count, std::int64_t offset) {
  if (count <= 0) return;
  if (offset + count > Size()) bytes_.resize(static_cast<std::size_t>(offset + count));
  std::memcpy(bytes_.data() + offset, source, static_cast<std::size_t>(count));
}

}  // namespace qrl
