#include "document/Placeholder.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "format/FileNames.h"

namespace qrl {

std::string NextPlaceholder(const std::string& folder, int& used) {
  if (folder.empty()) return {};
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (UpperCase(ExtractFileExt(name)) == ".JPG" && it->is_regular_file(typeError)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  const int count = static_cast<int>(names.size());
  if (used >= count) return {};
  const std::string& name = names[static_cast<std::size_t>(count - used - 1)];
  ++used;
  return (std::filesystem::path(folder) / name).string();
}

}  // namespace qrl
