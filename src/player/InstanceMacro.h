#pragma once
// The macro text a second start of the player hands to the running one: "[OPEN("path")]" opens
// a flyer, "[QUIT]" ends the player.

#include <string>

namespace qrl {

struct TInstanceMacro {
  std::string Command;   // in capitals
  std::string Argument;  // as sent, letter case kept
  bool operator==(const TInstanceMacro&) const = default;
};

// Reads the first line of a macro: the enclosing brackets are dropped, the command is the text
// before the first "(" turned to capitals, the argument the text from there to the last ")"
// (empty when there is none) without its enclosing double quotes. The argument keeps its case
// and any ")" inside it, since file names here are case-sensitive and downloaded files are
// often called "flyer (1).qrl".
TInstanceMacro ParseInstanceMacro(const std::string& macro);

// The macro that opens the flyer at path.
std::string OpenMacro(const std::string& path);

}  // namespace qrl
