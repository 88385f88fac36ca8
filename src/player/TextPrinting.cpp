#include "player/TextPrinting.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "format/QuireleafException.h"

namespace qrl {

std::unique_ptr<QPrinter> DefaultPrinter() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) throw EQuireleafException("No default printer is set up.");
  return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

void PrintTextLines(QPrinter& printer, const QStringList& lines) {
  QPainter painter;
  if (!painter.begin(&printer)) throw EQuireleafException("The printer could not be opened.");
  const QRect page = painter.viewport();
  const int lineHeight = painter.fontMetrics().lineSpacing();
  int top = 0;
  for (const QString& line : lines) {
    const QRect needed = painter.boundingRect(QRect(0, 0, page.width(), page.height()), Qt::TextWordWrap, line);
    const int height = std::max(needed.height(), lineHeight);
    if (top > 0 && top + height > page.height()) {
      if (!printer.newPage()) {
        painter.end();
        throw EQuireleafException("The printer could not start a new page.");
      }
      top = 0;
    }
    painter.drawText(QRect(0, top, page.width(), height), Qt::TextWordWrap, line);
    top += height;
  }
  if (!painter.end()) throw EQuireleafException("The printer could not finish the job.");
}

}  // namespace qrl
