#include "format/Packing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"
#include "format/TFooterRes.h"
#include "format/TQLStream.h"

namespace qrl {

namespace {

// The process's file-creation mask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  return 022;
}

// A new file beside the target that takes the target's place only when committed.
class TPendingTarget {
 public:
  explicit TPendingTarget(const std::string& target) : target_(target) {
    const std::filesystem::path t(target);
    path_ = (t.parent_path() / ("." + t.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(path_.data());
    if (fd < 0) throw EFileError("Cannot create a file beside \"" + target + "\": " + std::strerror(errno));
    // mkstemp makes the file private; the finished target gets the mode of any new file.
    const int modeResult = ::fchmod(fd, 0666 & ~CurrentUmask());
    ::close(fd);
    if (modeResult != 0) {
      std::remove(path_.c_str());
      throw EFileError("Cannot set the mode of \"" + path_ + "\": " + std::strerror(errno));
    }
  }
  ~TPendingTarget() {
    if (!committed_) std::remove(path_.c_str());
  }
  TPendingTarget(const TPendingTarget&) = delete;
  TPendingTarget& operator=(const TPendingTarget&) = delete;

  const std::string& Path() const { return path_; }

  void Commit() {
    if (::rename(path_.c_str(), target_.c_str()) != 0)
      throw EFileError("Cannot replace \"" + target_ + "\": " + std::strerror(errno));
    committed_ = true;
  }

 private:
  std::string target_;
  std::string path_;
  bool committed_ = false;
};

}  // namespace

void PackFlyer(const std::string& kickstarterPath, const std::string& flyerPath, const std::string& resourceName,
               const std::string& targetPath) {
  TPendingTarget pending(targetPath);
  {
    TFooterRes footer(kickstarterPath, false, pending.Path());
    if (!footer.AddFile(flyerPath, resourceName)) throw EQuireleafException("Could not write to " + targetPath);
    footer.Finish();
  }
  pending.Commit();
}

void UnpackFlyer(const std::string& exePath, const std::string& targetPath) {
  TQLStream source(exePath, TOpenMode::fmOpenRead);
  const TFlyerRegion region = LocateFlyerData(source, true);
  TPendingTarget pending(targetPath);
  {
    TQLStream target(pending.Path(), TOpenMode::fmCreate);
    target.CopyFrom(source, region.End - region.Start);
  }
  pending.Commit();
}

}  // namespace qrl
