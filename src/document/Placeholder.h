#pragma once
// Picture placeholders: an empty text element that is neither opaque nor framed is replaced by
// a picture file from a folder the user names (the programs take it from the environment
// variable QRL_PLACEHOLDER_DIR). Without a folder, placeholders stay empty texts.

#include <string>

namespace qrl {

inline constexpr const char* kPlaceholderDirVariable = "QRL_PLACEHOLDER_DIR";

// The folder named by a variable's value (nullptr when unset).
inline std::string PlaceholderFolderOf(const char* value) { return value ? value : ""; }

// The next picture for a placeholder: the regular files named *.jpg (any case) in folder, sorted
// ascending, taken from the last backwards; `used` counts the pictures handed out so far in this
// load. Empty when the folder is empty, unreadable or used up.
std::string NextPlaceholder(const std::string& folder, int& used);

}  // namespace qrl
