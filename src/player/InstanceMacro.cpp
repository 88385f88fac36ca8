#include "player/InstanceMacro.h"

#include "format/FileNames.h"

namespace qrl {

TInstanceMacro ParseInstanceMacro(const std::string& macro) {
  std::string line = macro.substr(0, macro.find_first_of("\r\n"));
  line = line.size() < 2 ? std::string() : line.substr(1, line.size() - 2);

  TInstanceMacro result;
  const std::size_t open = line.find('(');
  if (open == std::string::npos) {
    result.Command = UpperCase(line);
    return result;
  }
  result.Command = UpperCase(line.substr(0, open));
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos || close < open) return result;
  std::string argument = line.substr(open + 1, close - open - 1);
  if (!argument.empty() && argument.front() == '"')
    argument = argument.size() < 2 ? std::string() : argument.substr(1, argument.size() - 2);
  result.Argument = std::move(argument);
  return result;
}

std::string OpenMacro(const std::string& path) { return "[OPEN(\"" + path + "\")]"; }

}  // namespace qrl
