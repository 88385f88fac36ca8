#pragma once
// Packing a flyer behind the kickstarter launcher and taking it out again. Either way the
// target is written under a temporary name in its own folder and renamed over the target only
// when complete, so a failure never leaves half a file.

#include <string>

namespace qrl {

// Builds targetPath from the kickstarter with the flyer file as its "QXLB" entry, stored under
// resourceName (empty: the flyer's file name). Raises EQuireleafException
// "Could not write to " + targetPath when the flyer cannot be added, "File Access error" when
// the kickstarter cannot be read, EFileError for other input/output failures.
void PackFlyer(const std::string& kickstarterPath, const std::string& flyerPath, const std::string& resourceName,
               const std::string& targetPath);

// Copies the flyer region of a kickstarter executable to targetPath. Raises
// EQuireleafInvalidFile "This is not a Quireleaf Kickstarter." when it carries no flyer.
void UnpackFlyer(const std::string& exePath, const std::string& targetPath);

}  // namespace qrl
