#pragma once
// Adding what a PDF writer could not express to a finished PDF file: link annotations on its
// pages and a document information dictionary. The additions are appended as an incremental
// update (new objects, a cross-reference section for them and a trailer pointing back at the
// previous one), the way PDF lets a file be amended without rewriting it; every reader follows
// the newest versions of the objects.

#include <QRectF>
#include <QString>
#include <map>
#include <string>
#include <vector>

namespace qrl {

struct TPdfLink {
  QRectF Rect;      // in PDF points, origin at the page's bottom left
  int TargetPage = -1;   // 0-based page of the document, for an internal jump
  std::string Named;     // a named action ("GoBack", "GoForward") when not empty
  std::string Uri;       // a web address (ASCII) when not empty
};

struct TPdfUpdate {
  std::vector<std::vector<TPdfLink>> PageLinks;   // per page of the document, in order
  std::vector<std::pair<std::string, QString>> Info;  // information entries, key then text
};

// Appends update to the PDF file at path, as written by a classic cross-reference table
// writer. Raises EFileError when the file cannot be read or written, or when its structure is
// not the expected one.
void AppendPdfUpdate(const std::string& path, const TPdfUpdate& update);

// A PDF name for any text: characters outside the regular ones written as #xx.
std::string PdfName(const std::string& utf8);

}  // namespace qrl
