#include "format/TTempFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "format/FileNames.h"
#include "format/QuireleafException.h"

namespace qrl {

TTempFiles::TTempFiles(std::string directory) : directory_(std::move(directory)) {}

TTempFiles::~TTempFiles() { DeleteAllTempFiles(); }

std::string TTempFiles::TempFileName() {
  std::string directory = directory_;
  if (directory.empty()) {
    const char* env = std::getenv("TMPDIR");
    directory = (env && *env) ? env : "/tmp";
  }
  std::string path = directory + (directory.back() == '/' ? "" : "/") + "QRLXXXXXX";
  // mkstemp creates the file itself, so no other program can slip in between naming and creating.
  const int fd = ::mkstemp(path.data());
  if (fd < 0)
    throw EFileError("Cannot create a temporary file in \"" + directory + "\": " + std::strerror(errno));
  ::close(fd);
  files_.push_back(path);
  return path;
}

void TTempFiles::DeleteTempFile(const std::string& path) {
  const auto it = std::find_if(files_.begin(), files_.end(), [&path](const std::string& f) { return SameText(f, path); });
  if (it == files_.end()) return;
  // The listed spelling is the file this list created; the caller's spelling may differ in case.
  std::remove(it->c_str());
  files_.erase(it);
}

void TTempFiles::DeleteAllTempFiles() {
  for (const auto& f : files_) std::remove(f.c_str());
  files_.clear();
}

}  // namespace qrl
