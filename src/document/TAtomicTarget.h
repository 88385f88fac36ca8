#pragma once
// Writing a file so that its target is replaced only by a complete copy: the bytes go to a
// temporary file in the target's own folder, which is renamed over the target at the end.
// A failure before Commit leaves the target as it was and removes the temporary file.

#include <string>

namespace qrl {

class TAtomicTarget {
 public:
  // Creates the empty temporary file beside target; raises EFileError when that fails.
  explicit TAtomicTarget(const std::string& target);
  ~TAtomicTarget();
  TAtomicTarget(const TAtomicTarget&) = delete;
  TAtomicTarget& operator=(const TAtomicTarget&) = delete;

  const std::string& TempPath() const { return tempPath_; }
  const std::string& Target() const { return target_; }

  // Gives the temporary file the target's permissions (or the usual ones for a new file) and
  // renames it over the target; raises EFileError when that fails.
  void Commit();

 private:
  std::string target_;
  std::string tempPath_;
  bool committed_ = false;
};

}  // namespace qrl
