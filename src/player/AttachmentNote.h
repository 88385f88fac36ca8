#pragma once
// The text that accompanies a mailed flyer.

#include <string>

namespace qrl {

inline constexpr const char* kProductWebAddress = "HTTPS://QUIRELEAF.EXAMPLE.ORG";

// A banner and where to get the player: lines separated by CR LF, beginning and ending with
// CR LF. An executable runs on its own, so its note only names the web site.
std::string AttachmentNote(bool isExecutable);

}  // namespace qrl
