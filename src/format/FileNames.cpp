#include "format/FileNames.h"

#include <algorithm>

namespace qrl {

namespace {

std::size_t NameStart(const std::string& path) {
  const auto it = std::find_if(path.rbegin(), path.rend(), IsPathDelimiter);
  return static_cast<std::size_t>(path.rend() - it);
}

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsPathDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

std::string ExtractFileName(const std::string& path) { return path.substr(NameStart(path)); }

std::string ExtractFileExt(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < NameStart(path)) return {};
  return path.substr(dot);
}

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), UpperChar);
  return text;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperChar(x) == UpperChar(y); });
}

}  // namespace qrl
