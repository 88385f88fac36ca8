#include "player/FlyerSaving.h"

#include <QDir>
#include <QFileInfo>

#include "document/FlyerCopy.h"
#include "player/NoteText.h"
#include "player/TYellowForm.h"

namespace qrl {

namespace {

const char* const kFlyerFilter = "Quireleaf (*.QRL *.qrl)";
const char* const kKickstarterFilter = "Quireleaf Kickstarter (*.EXE *.exe)";

}  // namespace

TSaveDialogSetup SaveDialogSetup(const QString& fileName, const QString& lastFlyerDir, bool kickstarterFound) {
  TSaveDialogSetup setup;
  setup.directory = lastFlyerDir;
  const QString name = QFileInfo(fileName).fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot < 0 ? name : name.left(dot);
  setup.fileName = QFileInfo(fileName).dir().filePath(stem);
  if (fileName.isEmpty()) setup.fileName.clear();
  setup.filters << QString::fromLatin1(kFlyerFilter);
  if (kickstarterFound) setup.filters << QString::fromLatin1(kKickstarterFilter);
  const bool kickstarter = dot >= 0 && name.mid(dot).toUpper() == QStringLiteral(".EXE");
  setup.filterIndex = kickstarter && kickstarterFound ? 2 : 1;
  return setup;
}

TStoredNote NoteToStore(const TYellowForm& note, const TStoredNote& loaded) {
  if (!note.NoteModified) return loaded;
  return {NoteLinesToCp1252(note.Lines()), note.BoundsRelativeToOwner()};
}

void WriteNoteCopy(const QString& sourcePath, const QString& target, const TStoredNote& note,
                   const QString& kickstarter) {
  WriteFlyerCopy(sourcePath.toStdString(), target.toStdString(), note.lines, note.bounds,
                 kickstarter.toStdString());
}

}  // namespace qrl
