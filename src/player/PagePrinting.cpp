#include "player/PagePrinting.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "document/TFlyer.h"
#include "format/QuireleafException.h"
#include "player/TFormPrinting.h"
#include "render/FlyerScale.h"
#include "render/RenderPage.h"

namespace qrl {

namespace {

// Lends the flyer a print-sized area while one page is drawn, and gives the window's back.
class TPrintArea {
 public:
  TPrintArea(TFlyer& flyer, QSize size) : flyer_(flyer), width_(flyer.AreaWidth), height_(flyer.AreaHeight) {
    SetFlyerArea(flyer_, size.width(), size.height());
  }
  ~TPrintArea() { SetFlyerArea(flyer_, width_, height_); }
  TPrintArea(const TPrintArea&) = delete;
  TPrintArea& operator=(const TPrintArea&) = delete;

 private:
  TFlyer& flyer_;
  std::int32_t width_;
  std::int32_t height_;
};

// The print job: aborted unless it was finished.
class TPrintJob {
 public:
  explicit TPrintJob(QPrinter& printer) : printer_(printer) {
    if (!painter_.begin(&printer_)) throw EQuireleafException("The printer could not be opened.");
  }
  ~TPrintJob() {
    if (painter_.isActive()) Abort();
  }
  TPrintJob(const TPrintJob&) = delete;
  TPrintJob& operator=(const TPrintJob&) = delete;

  QPainter& Painter() { return painter_; }
  void NewPage() {
    if (!printer_.newPage()) throw EQuireleafException("The printer could not start a new page.");
  }
  void End() {
    if (!painter_.end()) throw EQuireleafException("The printer could not finish the job.");
  }
  void Abort() {
    // Printing to a file cannot be aborted by the printer itself: the partial file goes.
    const bool aborted = printer_.abort();
    painter_.end();
    if (!aborted && !printer_.outputFileName().isEmpty()) QFile::remove(printer_.outputFileName());
  }

 private:
  QPrinter& printer_;
  QPainter painter_;
};

}  // namespace

QSize PrintedSize(QSize page, QSize printable) {
  if (page.isEmpty() || printable.isEmpty()) return {};
  const auto mulDiv = [](qint64 a, qint64 b, qint64 c) { return static_cast<int>((a * b + c / 2) / c); };
  const int width = mulDiv(page.width(), printable.height(), page.height());
  if (width < printable.width()) return {width, printable.height()};
  return {printable.width(), mulDiv(page.height(), printable.width(), page.width())};
}

QSize PrintRenderSize(QSize printed, int printerDpi) {
  if (printerDpi <= kMaxPrintDpi || printed.isEmpty()) return printed;
  const double scale = static_cast<double>(kMaxPrintDpi) / printerDpi;
  return {std::max(1, qRound(printed.width() * scale)), std::max(1, qRound(printed.height() * scale))};
}

bool PrintFlyerPages(TFlyer& flyer, QPrinter& printer, int from, int to, TFormPrinting& progress) {
  const QSize printable = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  const QSize printed = PrintedSize({flyer.FlyerWidth, flyer.FlyerHeight}, printable);
  const QSize render = PrintRenderSize(printed, printer.resolution());
  if (printed.isEmpty()) throw EQuireleafException("The printer has no printable area.");

  TPrintJob job(printer);
  for (int page = from; page <= to && !progress.Cancelled; ++page) {
    progress.SetProgressPage(page);
    progress.repaint();
    if (page != from) job.NewPage();
    QImage picture;
    {
      const TPrintArea area(flyer, render);
      picture = RenderPage(flyer, page);
    }
    job.Painter().setRenderHint(QPainter::SmoothPixmapTransform, render != printed);
    job.Painter().drawImage(QRect(QPoint(0, 0), printed), picture);
    // Cancel can be pressed between pages.
    QApplication::processEvents();
  }
  if (progress.Cancelled) {
    job.Abort();
    return false;
  }
  job.End();
  return true;
}

}  // namespace qrl
