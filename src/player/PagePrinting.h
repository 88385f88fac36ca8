#pragma once
// Printing flyer pages: each page drawn afresh at the printer's resolution, as large as the
// printable area allows with the flyer's proportions, one page of paper per flyer page.

#include <QSize>

class QPrinter;

namespace qrl {

class TFlyer;
class TFormPrinting;

// Pictures and texts are drawn at most this fine; finer would only cost memory.
inline constexpr int kMaxPrintDpi = 600;

// The printed size of a page width x height on a printable area: the full printable height
// when the width that gives still fits, else the full printable width.
QSize PrintedSize(QSize page, QSize printable);

// The size to draw a page printed at `printed` device pixels on a printer of `printerDpi`.
QSize PrintRenderSize(QSize printed, int printerDpi);

// Prints pages from..to of the flyer, showing each page's number in progress and stopping
// before the next page once it is cancelled. The job is ended when every page printed (true);
// when cancelled, or when an error is raised, it is aborted instead, and a file it was printing
// to is removed, so that no partial print remains. Raises EQuireleafException when the printer
// cannot be opened or take another page.
bool PrintFlyerPages(TFlyer& flyer, QPrinter& printer, int from, int to, TFormPrinting& progress);

}  // namespace qrl
