#pragma once
// A flyer as a folder of web pages a browser opens from disk: index.html (the information, the
// note and the list of pages), one page file per flyer page with its picture, its texts as real
// text, its click areas as links and its sounds, and the shared style sheet and script.

#include <string>
#include <vector>

namespace qrl {

class TFlyer;

// The generator mark of every exported page; a folder whose index.html carries it may be replaced
// by a new export.
inline constexpr const char* kHtmlGenerator = "qrltool export";

// Writes the export of a fully loaded flyer into folder (existing and empty). Addresses of web
// links left out as unsafe are appended to dropped. Raises EFileError when a file cannot be
// written, and whatever rendering raises.
void ExportHtml(TFlyer& flyer, const std::string& folder, std::vector<std::string>& dropped);

// The page file of page index ("page3.html").
std::string HtmlPageName(int index);

// Whether folder holds an earlier export (its index.html carries the generator mark).
bool IsHtmlExport(const std::string& folder);

}  // namespace qrl
