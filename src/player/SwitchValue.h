#pragma once
// The command line: one-letter switches ("-d", "-p3", "-px" ...) and the flyer to open.

#include <string>
#include <vector>

namespace qrl {

// The value of switch `letter` among the arguments: -1 when absent, 1 for a bare "-x" or a
// non-numeric rest, otherwise the decimal number after the letter. Later matches win.
// A switch counts as given when its value is above 0.
int SwitchValue(const std::vector<std::string>& arguments, char letter);

// The flyer named on the command line: the first argument that does not begin with "-".
std::string FlyerArgument(const std::vector<std::string>& arguments);

inline bool SwitchGiven(const std::vector<std::string>& arguments, char letter) {
  return SwitchValue(arguments, letter) > 0;
}

}  // namespace qrl
