#pragma once
// Saving: a copy of a flyer file carrying a new note, as a plain flyer or packed behind the
// kickstarter when the target's extension is ".EXE".

#include <string>

#include "document/NoteBlock.h"
#include "format/TQLStream.h"

namespace qrl {

inline constexpr const char* kNoKickstarterMessage = "Could not find Kickstarter application";

// Writes at target's position the flyer read from source (a packed one when source's file name
// ends in ".EXE") with every block unchanged, except that the first note block is replaced by
// one holding noteLines and noteBounds (appended at the end when the flyer has none), and later
// note blocks are dropped: the copy has exactly one note block.
void CopyFlyerWithNote(TQLStream& source, TQLStream& target, const TStrings& noteLines,
                       const TNoteBounds& noteBounds);

// Copies every block of the flyer in sourcePath unchanged, except that the first note block is
// replaced by one holding noteLines and noteBounds (appended at the end when the flyer has
// none), and later note blocks are dropped: the copy has exactly one note block. The target is
// replaced only by a complete copy, so the source itself may be the target. An ".EXE" target
// is packed with the kickstarter at kickstarterPath (EQuireleafException
// kNoKickstarterMessage when that is empty or missing), the flyer stored under the source's
// file name with the extension ".QRL".
void WriteFlyerCopy(const std::string& sourcePath, const std::string& targetPath, const TStrings& noteLines,
                    const TNoteBounds& noteBounds, const std::string& kickstarterPath);

}  // namespace qrl
