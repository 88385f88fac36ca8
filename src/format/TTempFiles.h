#pragma once
// The temporary files of one loaded flyer (swap files, sound files, copies): created unique in
// the temporary folder, listed, and deleted together when the flyer is unloaded. Each name carries
// the creating process's id ("QRL" + pid + "-" + suffix), so that a later start can tell the files
// of a process that was killed before it could clean up.

#include <cstddef>
#include <string>
#include <vector>

namespace qrl {

class TTempFiles {
 public:
  // directory: where the files are made; empty means $TMPDIR, or /tmp when that is unset.
  explicit TTempFiles(std::string directory = {});
  ~TTempFiles();  // deletes whatever is still listed
  TTempFiles(const TTempFiles&) = delete;
  TTempFiles& operator=(const TTempFiles&) = delete;

  // Creates a new empty file named "QRL" + pid + "-" + a unique suffix, lists it and returns its path.
  // Raises EFileError when the file cannot be created.
  std::string TempFileName();
  // Deletes the file and unlists it if the path is listed (compared without regard to case);
  // any other path is left alone.
  void DeleteTempFile(const std::string& path);
  void DeleteAllTempFiles();

  const std::vector<std::string>& Files() const { return files_; }

  // Deletes the files in the folder (empty: as above) that this scheme named for a process that no
  // longer runs, and that belong to the current user; returns how many were deleted. Files of
  // running processes, of other users and of any other name are left alone.
  static std::size_t RemoveOrphans(std::string directory = {});

 private:
  std::string directory_;
  std::vector<std::string> files_;
};

}  // namespace qrl
