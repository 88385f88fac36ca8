#pragma once
// The temporary files of one loaded flyer (swap files, sound files, copies): created unique in
// the temporary folder, listed, and deleted together when the flyer is unloaded.

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

  // Creates a new empty file named "QRL" + a unique suffix, lists it and returns its path.
  // Raises EFileError when the file cannot be created.
  std::string TempFileName();
  // Deletes the file and unlists it if the path is listed (compared without regard to case);
  // any other path is left alone.
  void DeleteTempFile(const std::string& path);
  void DeleteAllTempFiles();

  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::string directory_;
  std::vector<std::string> files_;
};

}  // namespace qrl
