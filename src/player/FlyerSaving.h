#pragma once
// Save and Save As: how the Save dialog is set up for the open flyer, and writing the copy that
// carries the note window's text and place.

#include <QString>
#include <QStringList>

#include "document/NoteBlock.h"
#include "format/TQLStream.h"

namespace qrl {

class TYellowForm;

struct TSaveDialogSetup {
  QString directory;
  QString fileName;  // proposed: the open flyer's path without its extension
  QStringList filters;
  int filterIndex = 1;  // 1-based
};

// The dialog for the flyer at fileName: opened in lastFlyerDir, proposing fileName up to its
// last dot, the kickstarter filter chosen for an ".EXE" flyer. Without a kickstarter there is
// only the flyer filter.
TSaveDialogSetup SaveDialogSetup(const QString& fileName, const QString& lastFlyerDir, bool kickstarterFound);

// The note as a flyer stores it.
struct TStoredNote {
  TStrings lines;
  TNoteBounds bounds;
};

// What a save stores: the note window's lines and place when the note was changed, else the
// note as it was loaded. Raises EQuireleafException naming the characters the flyer's code page
// cannot hold, before anything is written.
TStoredNote NoteToStore(const TYellowForm& note, const TStoredNote& loaded);

// Writes the flyer at sourcePath with this note to target, packed behind kickstarter for an
// ".EXE" target. The target is replaced only by a complete copy.
void WriteNoteCopy(const QString& sourcePath, const QString& target, const TStoredNote& note,
                   const QString& kickstarter);

}  // namespace qrl
