#include "player/SwitchValue.h"

#include <charconv>

namespace qrl {

int SwitchValue(const std::vector<std::string>& arguments, char letter) {
  int value = -1;
  for (const auto& arg : arguments) {
    if (arg.size() < 2 || arg[0] != '-' || arg[1] != letter) continue;
    value = 1;
    if (arg.size() > 2) {
      int number = 0;
      const char* first = arg.data() + 2;
      const char* last = arg.data() + arg.size();
      const auto [end, ec] = std::from_chars(first, last, number);
      value = (ec == std::errc() && end == last) ? number : 1;
    }
  }
  return value;
}

std::string FlyerArgument(const std::vector<std::string>& arguments) {
  for (const auto& arg : arguments)
    if (arg.empty() || arg[0] != '-') return arg;
  return {};
}

}  // namespace qrl
