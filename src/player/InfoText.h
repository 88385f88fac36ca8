#pragma once
// The flyer information as the Info window lists it.

#include <QStringList>

#include "document/TTextSection.h"

namespace qrl {

// Every section but the first (which holds the player's own entries), each after an empty line
// but the first: its name in capitals, then one line per single-line entry, the key and ":"
// padded or cut to 16 characters, a blank and the value; an entry of several lines puts the
// key and ":" on a line of its own with each value line after two blanks, and the next
// single-line entry after an empty line. Fewer than two sections give no lines.
QStringList InfoLines(const TTextSections& sections);

}  // namespace qrl
