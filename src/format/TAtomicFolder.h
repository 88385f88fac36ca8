#pragma once
// Making a folder so that its target appears only complete: everything goes into a temporary
// folder beside the target, which takes the target's place at the end in one step. A failure
// before Commit leaves the target as it was and removes the temporary folder with its contents.

#include <string>

namespace qrl {

class TAtomicFolder {
 public:
  // Creates the empty temporary folder beside target; raises EFileError when that fails or when
  // target exists and is no folder.
  explicit TAtomicFolder(const std::string& target);
  ~TAtomicFolder();
  TAtomicFolder(const TAtomicFolder&) = delete;
  TAtomicFolder& operator=(const TAtomicFolder&) = delete;

  const std::string& TempPath() const { return tempPath_; }

  // Syncs everything in the temporary folder, then puts it in the target's place: renamed to it, or exchanged with an
  // existing target in one step, whose old contents are then removed. Raises EFileError when
  // that fails.
  void Commit();

 private:
  std::string target_;
  std::string tempPath_;
};

}  // namespace qrl
