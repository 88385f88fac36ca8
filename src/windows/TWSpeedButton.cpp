#include "windows/TWSpeedButton.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace qrl {

TWSpeedButton::TWSpeedButton(QWidget* parent) : QToolButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAutoRaise(true);
}

void TWSpeedButton::SetQuireBehavior(bool on) {
  quireBehavior_ = on;
  update();
}

void TWSpeedButton::SetGlyph(const QPixmap& strip) {
  glyph_ = strip;
  if (!StripUsable() && !glyph_.isNull()) setIcon(QIcon(glyph_));
  update();
}

bool TWSpeedButton::StripUsable() const {
  const int width = glyph_.width();
  return !glyph_.isNull() && width % 4 == 0 && width / 4 > 0;
}

int TWSpeedButton::GlyphIndex() const {
  if (!isEnabled()) return bsDisabled;
  if (isDown()) return bsDown;
  if (isCheckable() && isChecked()) return bsExclusive;
  return bsUp;
}

void TWSpeedButton::paintEvent(QPaintEvent* event) {
  if (!quireBehavior_ || !StripUsable()) {
    QToolButton::paintEvent(event);
    return;
  }
  const qreal dpr = glyph_.devicePixelRatio();
  const int imageWidth = glyph_.width() / 4;
  const QRect source(GlyphIndex() * imageWidth, 0, imageWidth, glyph_.height());
  const QSizeF logical(imageWidth / dpr, glyph_.height() / dpr);
  const QPointF offset(static_cast<int>(width() - logical.width()) / 2,
                       static_cast<int>(height() - logical.height()) / 2);
  QPainter p(this);
  p.drawPixmap(QRectF(offset, logical), glyph_, source);
}

void TWSpeedButton::mousePressEvent(QMouseEvent* event) {
  QToolButton::mousePressEvent(event);
  if (event->button() != Qt::RightButton || helpContext_ == 0) return;
  if (!helpMenu_) {
    helpMenu_ = new QMenu(this);
    QAction* whatsThis = helpMenu_->addAction(QStringLiteral("&What's this?"));
    connect(whatsThis, &QAction::triggered, this, [this] { emit HelpRequested(helpContext_); });
  }
  helpMenu_->popup(event->globalPosition().toPoint());
}

}  // namespace qrl
