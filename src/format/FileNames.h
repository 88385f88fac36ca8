#pragma once
// File-name pieces as flyer names use them: '\\', ':' and '/' all end a directory part, and
// letters are compared without regard to case (ASCII).

#include <string>

namespace qrl {

bool IsPathDelimiter(char c);

// The name without its directory part.
std::string ExtractFileName(const std::string& path);

// Everything from the last '.' on, provided that dot follows the last delimiter; else "".
std::string ExtractFileExt(const std::string& path);

std::string UpperCase(std::string text);
bool SameText(const std::string& a, const std::string& b);

}  // namespace qrl
