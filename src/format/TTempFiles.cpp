#include "format/TTempFiles.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "format/FileNames.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

constexpr std::string_view kPrefix = "QRL";
constexpr std::size_t kSuffixLength = 6;  // what mkstemp fills in

std::string TempDirectory(const std::string& chosen) {
  if (!chosen.empty()) return chosen;
  const char* env = std::getenv("TMPDIR");
  return (env && *env) ? env : "/tmp";
}

// The owner's process id in a name "QRL" + digits + "-" + six characters; none for any other name.
std::optional<pid_t> OwnerOf(std::string_view name) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  name.remove_prefix(kPrefix.size());
  const std::size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || name.size() != dash + 1 + kSuffixLength)
    return std::nullopt;
  long pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9') return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  if (pid <= 0) return std::nullopt;
  return static_cast<pid_t>(pid);
}

bool ProcessGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

TTempFiles::TTempFiles(std::string directory) : directory_(std::move(directory)) {}

TTempFiles::~TTempFiles() { DeleteAllTempFiles(); }

std::string TTempFiles::TempFileName() {
  const std::string directory = TempDirectory(directory_);
  std::string path = directory + (directory.back() == '/' ? "" : "/") + std::string(kPrefix) +
                     std::to_string(::getpid()) + "-" + std::string(kSuffixLength, 'X');
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

std::size_t TTempFiles::RemoveOrphans(std::string directory) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::directory_iterator it(TempDirectory(directory), error);
  std::size_t removed = 0;
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const std::optional<pid_t> owner = OwnerOf(it->path().filename().native());
    if (!owner || !ProcessGone(*owner)) continue;
    struct stat info {};
    // lstat: a link of that name is not followed, and only the user's own plain files go.
    if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace qrl
