#pragma once
// What the window gives out of a flyer besides the page view: the Info window, printing a
// text or pages, and the snapshot. Failures are raised for the window's exception handler.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "document/TTextSection.h"

class QPrinter;
class QWidget;

namespace qrl {

class TFlyer;
class TPrompts;

class TFlyerOutput {
 public:
  // owner: the main window, which owns the dialogs while they are up.
  TFlyerOutput(TPrompts& prompts, QWidget* owner);

  // The printer Print this Text writes to: the system's default printer.
  std::function<std::unique_ptr<QPrinter>()> TextPrinter;

  // The Info window over the sections, modal.
  void ShowInfo(const TTextSections& sections);
  // The text's lines on the text printer.
  void PrintText(const QStringList& lines);
  // The Print dialog for pages 1 to the last, preset to currentPage; then the chosen pages
  // with the progress window, which shows fileName. False when the dialog was cancelled or the
  // printing was.
  bool PrintPages(TFlyer& flyer, const QString& fileName, int currentPage);
  // Pages are being printed: the flyer must stay loaded until the job is over.
  bool Printing() const { return printing_; }
  // The client area as shown, saved beside the flyer as a ".BMP" file.
  void Snapshot(QWidget& client, const QString& fileName);

 private:
  TPrompts& prompts_;
  QWidget* owner_;
  bool printing_ = false;
};

}  // namespace qrl
