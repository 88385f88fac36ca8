#pragma once
// Reading a whole file, the twin of WriteFileAtomically: a file that cannot be opened or read
// raises EFileError, as a failed write does, and never delivers fewer bytes than it holds.

#include <string>

namespace qrl {

// Every byte of the file (a regular file, or a pipe read to its end).
std::string ReadFileContents(const std::string& path);

}  // namespace qrl
