// qrltool export: a flyer as a folder of web pages and as a PDF document, drawn by the
// renderer the player uses; neither output appears unless it is complete.

#include <filesystem>
#include <iostream>
#include <string>

#include "format/TAtomicFile.h"
#include "format/QuireleafException.h"
#include "format/TAtomicFolder.h"
#include "imaging/FifLibrary.h"
#include "render/HtmlExport.h"
#include "render/PdfExport.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

namespace {

namespace fs = std::filesystem;

// A folder that holds anything but an earlier export is the user's and stays untouched.
void CheckHtmlTarget(const std::string& folder) {
  std::error_code ec;
  const auto status = fs::symlink_status(folder, ec);
  if (!fs::exists(status)) return;
  if (!fs::is_directory(status)) throw EFileError("\"" + folder + "\" exists and is not a folder");
  if (!fs::is_empty(folder, ec) && !IsHtmlExport(folder))
    throw EFileError("\"" + folder + "\" is not empty and holds no earlier export; choose another folder");
}

}  // namespace

int RunExport(const Arguments& args) {
  const TArgumentParser p(args, {"-d"}, {"--html", "--pdf"});
  const std::string path = p.Single("flyer file");
  const auto html = p.Value("--html");
  const auto pdf = p.Value("--pdf");
  if (!html && !pdf) throw EUsage("give --html DIR, --pdf OUT.pdf or both");

  TToolFlyer tool;
  TFlyer& flyer = tool.Flyer();
  std::vector<std::string> dropped;
  tool.Load(path, false);
  if (html) CheckHtmlTarget(*html);
  const auto library = TFifLibrary::Hold();
  if (html) {
    TAtomicFolder folder(*html);
    ExportHtml(flyer, folder.TempPath(), dropped);
    folder.Commit();
  }
  if (pdf) {
    TAtomicFile target(*pdf);
    std::vector<std::string> again;  // the web pages reported them already
    ExportPdf(flyer, target.TempPath(), html ? again : dropped);
    target.Commit();
  }
  for (const auto& address : dropped)
    std::cerr << "qrltool export: left out a link that is no web or mail address: \"" << address << "\"\n";
  return kExitOk;
}

extern const TCommand kExportCommand = {
    "export", "turn a flyer into web pages or a PDF document",
    "usage: qrltool export [-d] FILE [--html DIR] [--pdf OUT.pdf]\n"
    "  --html DIR   write a folder a web browser opens from disk: index.html with the flyer's\n"
    "               information, its note and the list of pages; page1.html, page2.html ... with\n"
    "               each page as the player draws it (sharp on high-density screens), its texts as\n"
    "               text to select and search, its click areas as links, its sounds (they start\n"
    "               after the first click where the browser asks for one; a button mutes them);\n"
    "               keys: Right, Page Down or Space next page, Left or Page Up previous, Home\n"
    "               first, End last, M mute, I information. DIR must not exist, be empty or hold\n"
    "               an earlier export, which is replaced.\n"
    "  --pdf OUT    write a PDF document: one page per flyer page at the flyer's aspect ratio\n"
    "               (a flyer pixel is 1/96 inch), the texts as real text, page jumps, leafing and\n"
    "               back/forward as links, web links as links, the flyer information and the\n"
    "               note as document properties. Scrolling texts show their first lines; elliptic\n"
    "               click areas become links over their bounding rectangle.\n"
    "  -d           show the message of a coded error instead of its number\n"
    "Only http, https and mailto links are exported; any other link is left out and named on\n"
    "standard error. A flyer the player refuses gives the player's message and exit status 1;\n"
    "nothing is written then, and an output that fails halfway is removed.\n",
    RunExport};

}  // namespace qrl::tool
