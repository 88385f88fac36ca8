#include "document/TAtomicTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path) {
  throw EFileError(what + " \"" + path + "\": " + std::strerror(errno));
}

// The process's file-creation mask, read without changing it.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  return 022;
}

}  // namespace

TAtomicTarget::TAtomicTarget(const std::string& target) : target_(target) {
  std::filesystem::path folder = std::filesystem::path(target).parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / ("." + std::filesystem::path(target).filename().string() + ".QRLXXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) RaiseFileError("Cannot create a temporary file beside", target);
  ::close(fd);
  tempPath_ = pattern;
}

TAtomicTarget::~TAtomicTarget() {
  if (!committed_) ::unlink(tempPath_.c_str());
}

void TAtomicTarget::Commit() {
  struct stat st {};
  const mode_t mode =
      ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : static_cast<mode_t>(0666 & ~CurrentUmask());
  if (::chmod(tempPath_.c_str(), mode) != 0) RaiseFileError("Cannot set the permissions of", tempPath_);
  if (::rename(tempPath_.c_str(), target_.c_str()) != 0) RaiseFileError("Cannot replace", target_);
  committed_ = true;
}

}  // namespace qrl
