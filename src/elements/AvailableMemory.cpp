#include "elements/AvailableMemory.h"

#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace qrl {

std::int64_t ReadAvailableMemory() {
  std::ifstream in("/proc/meminfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("MemAvailable:", 0) != 0) continue;
    std::istringstream fields(line.substr(13));
    std::int64_t kib = 0;
    if (fields >> kib && kib >= 0 && kib <= std::numeric_limits<std::int64_t>::max() / 1024) return kib * 1024;
    break;
  }
  return std::numeric_limits<std::int64_t>::max();
}

}  // namespace qrl
