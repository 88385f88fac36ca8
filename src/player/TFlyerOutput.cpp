#include "player/TFlyerOutput.h"

#include <QPrinter>
#include <QWidget>
#include <algorithm>

#include "document/TFlyer.h"
#include "player/PagePrinting.h"
#include "player/Snapshot.h"
#include "player/TextPrinting.h"
#include "player/TFlyerInfoForm.h"
#include "player/TFormPrinting.h"
#include "player/TPrompts.h"

namespace qrl {

TFlyerOutput::TFlyerOutput(TPrompts& prompts, QWidget* owner)
    : TextPrinter(DefaultPrinter), prompts_(prompts), owner_(owner) {}

void TFlyerOutput::ShowInfo(const TTextSections& sections) {
  TFlyerInfoForm info(owner_);
  info.FillInfo(sections);
  info.exec();
}

void TFlyerOutput::PrintText(const QStringList& lines) {
  const std::unique_ptr<QPrinter> printer = TextPrinter();
  PrintTextLines(*printer, lines);
}

bool TFlyerOutput::PrintPages(TFlyer& flyer, const QString& fileName, int currentPage) {
  const int last = static_cast<int>(flyer.Pages.size()) - 1;
  if (last < 1) return false;
  // Pages print at the printer's own resolution, not the screen's.
  QPrinter printer(QPrinter::HighResolution);
  const TPrintChoice choice = prompts_.PrintDialog(printer, 1, last, std::clamp(currentPage, 1, last));
  if (!choice.accepted) return false;
  const int from = choice.pageRange ? std::clamp(choice.fromPage, 1, last) : 1;
  const int to = choice.pageRange ? std::clamp(choice.toPage, from, last) : last;
  // The progress window goes on every path, also when printing fails.
  const std::unique_ptr<TFormPrinting> progress = std::make_unique<TFormPrinting>(owner_);
  progress->SetProgressFile(fileName);
  printing_ = true;
  const struct TPrintingEnds {
    bool& printing;
    ~TPrintingEnds() { printing = false; }
  } ends{printing_};
  return PrintFlyerPages(flyer, printer, from, to, *progress);
}

void TFlyerOutput::Snapshot(QWidget& client, const QString& fileName) {
  SaveSnapshot(client.grab().toImage(), SnapshotFileName(fileName));
}

}  // namespace qrl
