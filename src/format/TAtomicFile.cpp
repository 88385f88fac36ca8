#include "format/TAtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

namespace fs = std::filesystem;

// The kernel's own limit on links followed in one lookup.
constexpr int kMaxLinks = 40;

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path, int error) {
  throw EFileError(what + " \"" + path + "\": " + std::strerror(error));
}

// The process's file-creation mask, read without changing it (umask() would change it, for a
// moment, for every thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  return 022;
}

// target with every symbolic link in its last component followed, also a link to a file that
// does not exist yet (that file is then created).
std::string FollowLinks(const std::string& target) {
  fs::path path(target);
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path.string();
    if (hops == kMaxLinks) RaiseFileError("Too many symbolic links in", target, ELOOP);
    std::error_code ec;
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) RaiseFileError("Cannot read the symbolic link", path.string(), ec.value());
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
}

// Makes a rename durable: the folder entry is synced too. Folders that cannot be opened for
// this (some network file systems) are left to the file system.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

fs::path FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

}  // namespace

TAtomicFile::TAtomicFile(const std::string& target) : target_(target), finalPath_(FollowLinks(target)) {
  // Hidden and named after the target, so a left-over file (after a power cut) says whose it is.
  std::string pattern = (FolderOf(finalPath_) / ("." + fs::path(finalPath_).filename().string() + ".QRLXXXXXX")).string();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) RaiseFileError("Cannot create a temporary file beside", target_, errno);
  ::close(fd);
  tempPath_ = pattern;
}

TAtomicFile::~TAtomicFile() {
  if (!committed_) ::unlink(tempPath_.c_str());
}

void TAtomicFile::Commit() {
  const int fd = ::open(tempPath_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseFileError("Cannot open", tempPath_, errno);
  struct stat st {};
  mode_t mode = 0;
  if (::stat(finalPath_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const bool program = ::fstat(fd, &st) == 0 && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    mode = (program ? 0777 : 0666) & ~CurrentUmask();
  }
  const bool modeSet = ::fchmod(fd, mode) == 0;
  const int modeError = errno;
  // A failed sync means the bytes may never reach the disk: the target must stay as it was.
  const bool synced = ::fsync(fd) == 0;
  const int syncError = errno;
  ::close(fd);
  if (!modeSet) RaiseFileError("Cannot set the permissions of", tempPath_, modeError);
  if (!synced) RaiseFileError("Cannot write", target_, syncError);
  if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) RaiseFileError("Cannot replace", target_, errno);
  committed_ = true;
  SyncFolder(FolderOf(finalPath_));
}

void WriteFileAtomically(const std::string& target, const void* data, std::size_t size) {
  TAtomicFile file(target);
  {
    std::ofstream out(file.TempPath(), std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) throw EFileError("Cannot write \"" + target + "\"");
  }
  file.Commit();
}

}  // namespace qrl
