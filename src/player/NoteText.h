#pragma once
// The note's text between the editor (Unicode) and the flyer (Windows-1252 lines).

#include <QStringList>

#include "format/TQLStream.h"

namespace qrl {

// Stored lines (a note, a text) as Unicode for the editor and the printer.
QStringList LinesFromCp1252(const TStrings& lines);

// The editor's lines as the flyer stores them. A character the code page cannot hold is never
// replaced: EQuireleafException names every such character (once each, in order of first use).
TStrings NoteLinesToCp1252(const QStringList& lines);

}  // namespace qrl
