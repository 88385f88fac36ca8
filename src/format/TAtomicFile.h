#pragma once
// The one way every file of ours is written: the bytes go to a temporary file in the target's
// own folder, which is synced and renamed over the target only when complete. A failure before
// Commit leaves the target as it was and removes the temporary file.
//
// The finished file keeps the permission bits of the file it replaces. A new file gets those of
// any new file under the process's mask, executable when the writer made the temporary file so. A target that is a symbolic link stays a link: the
// file it points to is the one replaced.

#include <cstddef>
#include <string>

namespace qrl {

class TAtomicFile {
 public:
  // Creates the empty temporary file beside the file target names; raises EFileError when that
  // fails.
  explicit TAtomicFile(const std::string& target);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // Where the content goes before Commit.
  const std::string& TempPath() const { return tempPath_; }
  // The path given, and the file that is replaced (target with its links followed).
  const std::string& Target() const { return target_; }
  const std::string& FinalPath() const { return finalPath_; }

  // Syncs the temporary file, gives it its permission bits and renames it over the final path;
  // raises EFileError when any step fails (the target is then unchanged).
  void Commit();

 private:
  std::string target_;
  std::string finalPath_;
  std::string tempPath_;
  bool committed_ = false;
};

// Replaces target with exactly these bytes, through a TAtomicFile.
void WriteFileAtomically(const std::string& target, const void* data, std::size_t size);

}  // namespace qrl
