#pragma once
// The kickstarter launcher that saving and sending pack in front of a flyer: "quirekick.exe"
// in the folder of the player's own executable.

#include <QString>

namespace qrl {

inline constexpr const char* kKickstarterFileName = "quirekick.exe";

// The launcher's full path, or an empty string when it is not there.
QString KickstarterPath();

}  // namespace qrl
