#include "player/TYellowForm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "elements/QtTextMeasurer.h"

namespace qrl {

namespace {

constexpr int kNoteFontHeight = 13;
constexpr int kOkRightMargin = 10;

}  // namespace

TYellowForm::TYellowForm(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowStaysOnTopHint),
      owner_(owner) {
  setObjectName(QStringLiteral("YellowForm"));
  setWindowTitle(QStringLiteral("Note"));
  QPalette yellow = palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) yellow.setColor(role, Qt::yellow);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    yellow.setColor(role, Qt::black);
  setPalette(yellow);
  setAutoFillBackground(true);

  memNote = new QPlainTextEdit(this);
  memNote->setObjectName(QStringLiteral("memNote"));
  memNote->setFrameShape(QFrame::NoFrame);
  memNote->setPalette(yellow);
  memNote->setFont(ToQFont({.Name = "Arial", .Height = kNoteFontHeight}));

  pnlButtons = new QWidget(this);
  pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
  btnOk = new QPushButton(QStringLiteral("&OK"), pnlButtons);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  auto* buttons = new QHBoxLayout(pnlButtons);
  buttons->setContentsMargins(0, 0, kOkRightMargin, 0);
  buttons->addStretch();
  buttons->addWidget(btnOk);
  pnlButtons->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(memNote);
  layout->addWidget(pnlButtons);
  resize(kDefaultWidth, kDefaultHeight);

  connect(memNote, &QPlainTextEdit::textChanged, this, [this] { NoteModified = true; });
  if (owner_ != nullptr) {
    ownerPosition_ = owner_->pos();
    owner_->installEventFilter(this);
  }
  NoteModified = false;
}

QStringList TYellowForm::Lines() const {
  QStringList lines = memNote->toPlainText().split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();
  return lines;
}

void TYellowForm::SetLines(const QStringList& lines) {
  const bool modified = NoteModified;
  memNote->setPlainText(lines.join(QLatin1Char('\n')));
  NoteModified = modified;
}

void TYellowForm::PlaceRelativeToOwner(const TNoteBounds& bounds) {
  const QPoint origin = owner_ != nullptr ? owner_->pos() : QPoint();
  move(origin + QPoint(bounds.Left, bounds.Top));
  resize(std::max(bounds.Width(), 1), std::max(bounds.Height(), 1));
  ownerPosition_ = origin;
}

TNoteBounds TYellowForm::BoundsRelativeToOwner() const {
  const QPoint origin = owner_ != nullptr ? owner_->pos() : QPoint();
  const QPoint at = pos() - origin;
  return TNoteBounds::FromSize(at.x(), at.y(), width(), height());
}

void TYellowForm::closeEvent(QCloseEvent* event) {
  // The note belongs to the flyer: its close box only puts it out of sight.
  event->ignore();
  hide();
  emit Closed();
}

bool TYellowForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == owner_ && event->type() == QEvent::Move) {
    const QPoint now = owner_->pos();
    // A hidden note moves too, so that it reappears beside the window where it was left.
    move(pos() + now - ownerPosition_);
    ownerPosition_ = now;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace qrl
