#pragma once
// A flyer as a PDF document: one page per flyer page at the flyer's aspect ratio, the page as
// the player draws it (scrolling texts at their first lines), its texts as real text (invisible
// over the picture, to select, search and copy), page jumps as internal links, safe web links
// as links, and the flyer information as document properties.

#include <string>
#include <vector>

namespace qrl {

class TFlyer;

// Writes the PDF of a fully loaded flyer to path (a new file or one to overwrite). Addresses of
// web links left out as unsafe are appended to dropped. Raises EFileError when the file cannot
// be written, and whatever rendering raises.
void ExportPdf(TFlyer& flyer, const std::string& path, std::vector<std::string>& dropped);

}  // namespace qrl
