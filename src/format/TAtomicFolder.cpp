#include "format/TAtomicFolder.h"

#include <fcntl.h>
#include <unistd.h>
#include <stdio.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "format/QuireleafException.h"

namespace qrl {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path, int error) {
  throw EFileError(what + " \"" + path + "\": " + std::strerror(error));
}

// Everything in the folder reaches the disk before the folder takes the target's place.
void SyncTree(const fs::path& root) {
  std::error_code ec;
  std::vector<fs::path> paths;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    paths.push_back(it->path());
  if (ec) RaiseFileError("Cannot read the folder", root.string(), ec.value());
  paths.push_back(root);
  for (const fs::path& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
      const int error = errno;
      if (fd >= 0) ::close(fd);
      RaiseFileError("Cannot sync", path.string(), error);
    }
    ::close(fd);
  }
}

}  // namespace

TAtomicFolder::TAtomicFolder(const std::string& target) : target_(target) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(target, ec)) && !fs::is_directory(fs::symlink_status(target, ec)))
    RaiseFileError("Cannot make the folder", target, ENOTDIR);
  fs::path folder = fs::path(target).parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / ("." + fs::path(target).filename().string() + ".QRLXXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) RaiseFileError("Cannot create a temporary folder beside", target, errno);
  tempPath_ = pattern;
}

TAtomicFolder::~TAtomicFolder() {
  std::error_code ec;
  fs::remove_all(tempPath_, ec);
}

void TAtomicFolder::Commit() {
  // The temporary folder was made private; the result gets the usual permissions of a folder.
  SyncTree(tempPath_);
  std::error_code ec;
  fs::permissions(tempPath_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec, ec);
  if (::rename(tempPath_.c_str(), target_.c_str()) == 0) {
    tempPath_.clear();
    return;
  }
  if (errno != ENOTEMPTY && errno != EEXIST) RaiseFileError("Cannot replace", target_, errno);
  // The old folder and the new one change places in one step; the old one is then removed.
  if (::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) != 0)
    RaiseFileError("Cannot replace", target_, errno);
}

}  // namespace qrl
