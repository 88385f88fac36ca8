#pragma once
// Where the kickstarter launcher is installed: beside the player's own executable.

#include <QString>

namespace qrl {

inline constexpr const char* kKickstarterFileName = "quirekick.exe";

// The full path of "quirekick.exe" in the player's own folder, or empty when it is not there.
QString KickstarterPath();

}  // namespace qrl
