#include "player/TFlyerPanel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace qrl {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pbxFlyer"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TPaintBox::paintEvent(QPaintEvent*) {
  if (!OnPaint) return;
  QPainter painter(this);
  OnPaint(painter);
}

TFlyerPanel::TFlyerPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pnlFlyer"));
  setAutoFillBackground(true);
  setMouseTracking(true);
  pbxFlyer = new TPaintBox(this);
}

void TFlyerPanel::SetColour(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
}

void TFlyerPanel::mousePressEvent(QMouseEvent* event) {
  // A click on the page takes the keys back from a scroll bar that had them.
  if (QWidget* focus = QApplication::focusWidget(); focus != nullptr && isAncestorOf(focus)) focus->clearFocus();
  emit MouseDown(this, event);
}

void TFlyerPanel::mouseMoveEvent(QMouseEvent* event) { emit MouseMove(event); }

void TFlyerPanel::resizeEvent(QResizeEvent*) { pbxFlyer->setGeometry(rect()); }

}  // namespace qrl
