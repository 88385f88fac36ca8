// qrltool note: prints a flyer's note, or writes a copy carrying a new one exactly as the
// player's Save As does.

#include <QFile>
#include <QString>
#include <iostream>

#include "document/FlyerCopy.h"
#include "format/QuireleafException.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

namespace {

// The note text file (UTF-8) as Windows-1252 lines.
TStrings ReadNoteText(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) throw EFileError("Cannot open file \"" + path + "\"");
  QString text = QString::fromUtf8(file.readAll());
  text.replace("\r\n", "\n");
  TStrings lines;
  for (const QString& line : text.split('\n')) lines.push_back(Cp1252(line));
  if (!lines.empty() && lines.back().empty()) lines.pop_back();  // the file's final line end
  return lines;
}

TNoteBounds ParseBounds(const std::string& text) {
  int v[4] = {};
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &v[0], &v[1], &v[2], &v[3], &tail) != 4)
    throw EUsage("--bounds takes LEFT,TOP,WIDTH,HEIGHT");
  return TNoteBounds::FromSize(v[0], v[1], v[2], v[3]);
}

int RunNote(const Arguments& args) {
  const TArgumentParser p(args, {"-d"}, {"--set", "--bounds", "-o"});
  const std::string path = p.Single("flyer file");
  const auto textFile = p.Value("--set");
  if (!textFile && (p.Value("--bounds") || p.Value("-o"))) throw EUsage("--bounds and -o go with --set");
  const std::string out = textFile ? p.Required("-o") : std::string();
  const auto bounds = p.Value("--bounds") ? std::optional(ParseBounds(*p.Value("--bounds"))) : std::nullopt;
  const TStrings newLines = textFile ? ReadNoteText(*textFile) : TStrings();

  TToolFlyer tool;
  try {
    tool.Load(path, false);
    TFlyer& flyer = tool.Flyer();
    if (!textFile) {
      for (const auto& line : flyer.NoteLines) std::cout << Utf8(line) << "\n";
      return kExitOk;
    }
    WriteFlyerCopy(path, out, newLines, bounds.value_or(flyer.NoteBounds), KickstarterPath());
    return kExitOk;
  } catch (const std::exception& e) {
    return ReportFailure(e, p.Flag("-d"), false);
  }
}

}  // namespace

extern const TCommand kNoteCommand = {
    "note", "print a flyer's note, or write a copy with a new note",
    "usage: qrltool note [-d] FILE\n"
    "       qrltool note [-d] FILE --set TEXTFILE [--bounds LEFT,TOP,WIDTH,HEIGHT] -o OUT\n"
    "  --set     the new note, a UTF-8 text file, one line per note line\n"
    "  --bounds  the note window's place relative to the main window (default: as stored)\n"
    "  -o        the copy to write; OUT.exe is packed with the kickstarter\n",
    RunNote};

}  // namespace qrl::tool
