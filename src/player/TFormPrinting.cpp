#include "player/TFormPrinting.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace qrl {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* text, QRect place) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  label->setGeometry(place);
  return label;
}

QLabel* MakePanel(QWidget* parent, const char* name, QRect place, bool bold) {
  auto* panel = new QLabel(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QFont font = panel->font();
  font.setBold(bold);
  panel->setFont(font);
  panel->setGeometry(place);
  return panel;
}

}  // namespace

TFormPrinting::TFormPrinting(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FormPrinting"));
  setWindowTitle(QStringLiteral("Printing..."));
  setFixedSize(kClientWidth, kClientHeight);
  // Shown without waiting, but the player takes no other command until the job is over.
  setWindowModality(Qt::ApplicationModal);
  MakeLabel(this, "File", {8, 10, 40, 21});
  MakeLabel(this, "Page", {8, 36, 40, 21});
  pnlFile = MakePanel(this, "pnlFile", {52, 10, 242, 21}, true);
  pnlPage = MakePanel(this, "pnlPage", {52, 36, 60, 21}, false);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setGeometry(219, 58, 75, 25);
  connect(btnCancel, &QPushButton::clicked, this, [this] { Cancelled = true; });

  if (const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  show();
}

void TFormPrinting::SetProgressFile(const QString& text) {
  // A long path keeps its end, where the file's name is.
  pnlFile->setText(pnlFile->fontMetrics().elidedText(text, Qt::ElideLeft, pnlFile->contentsRect().width() - 4));
  pnlFile->setToolTip(text);
}

void TFormPrinting::SetProgressPage(int number) { pnlPage->setText(QString::number(number)); }

void TFormPrinting::reject() { Cancelled = true; }

}  // namespace qrl
