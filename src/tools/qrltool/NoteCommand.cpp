// qrltool note: prints a flyer's note, or writes a copy carrying a new one exactly as the
// player's Save As does.

#include <iostream>

#include "document/FlyerCopy.h"
#include "format/CodePage.h"
#include "format/FileContents.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

namespace {

// The note text file (UTF-8) as Windows-1252 lines. A character the code page lacks is refused
// with its line, never replaced.
TStrings ReadNoteText(const std::string& path) {
  std::string rest = ReadFileContents(path);
  if (rest.starts_with("\xEF\xBB\xBF")) rest.erase(0, 3);  // a byte order mark is no note text
  TStrings lines;
  for (std::size_t start = 0, number = 1; start < rest.size(); ++number) {
    std::size_t end = rest.find('\n', start);
    if (end == std::string::npos) end = rest.size();
    std::string_view line(rest.data() + start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    try {
      lines.push_back(EncodeCp1252(line));
    } catch (const EUnstorableText& e) {
      throw EUnstorableText(e.Character(), path + ", line " + std::to_string(number));
    }
    start = end + 1;
  }
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
  tool.Load(path, false);
  TFlyer& flyer = tool.Flyer();
  if (!textFile) {
    for (const auto& line : flyer.NoteLines) std::cout << Cp1252ToUtf8(line) << "\n";
    return kExitOk;
  }
  WriteFlyerCopy(path, out, newLines, bounds.value_or(flyer.NoteBounds), KickstarterPath());
  return kExitOk;
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
