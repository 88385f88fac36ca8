#include "windows/THelpWindow.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "windows/HelpTopics.h"

namespace qrl {

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Quireleaf Player Help"));
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  // The guide links only within itself; nothing is handed to other programs.
  browser_->setOpenExternalLinks(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(600, 640);
}

void THelpWindow::ShowTopic(int context) {
  browser_->setSource(HelpTopicUrl(context));
  // The first time, beside the window it explains rather than in a corner of the screen.
  if (!placed_ && parentWidget() != nullptr) {
    QRect frame = frameGeometry();
    frame.moveCenter(parentWidget()->window()->frameGeometry().center());
    move(frame.topLeft());
    placed_ = true;
  }
  show();
  raise();
  activateWindow();
}

}  // namespace qrl
