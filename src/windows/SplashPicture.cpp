#include "windows/SplashPicture.h"

#include <QMouseEvent>
#include <QPainter>

#include "windows/NavGlyphs.h"

namespace qrl {

QPixmap SplashPicture(const QString& version, const QString& company, qreal dpr) {
  QPixmap picture(qRound(kSplashPictureWidth * dpr), qRound(kSplashPictureHeight * dpr));
  picture.setDevicePixelRatio(dpr);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QLinearGradient sky(0, 0, 0, kSplashPictureHeight);
  sky.setColorAt(0, QColor(0x1d, 0x3b, 0x1f));
  sky.setColorAt(1, QColor(0x08, 0x10, 0x08));
  p.fillRect(QRectF(0, 0, kSplashPictureWidth, kSplashPictureHeight), sky);

  DrawLeafEmblem(p, QRectF(10, 20, 96, 66));

  QFont title(QStringLiteral("Liberation Sans"));
  title.setPixelSize(30);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(0xf0, 0xf5, 0xe8));
  p.drawText(QRectF(112, 34, 200, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quireleaf"));
  QFont small(QStringLiteral("Liberation Sans"));
  small.setPixelSize(12);
  p.setFont(small);
  p.setPen(QColor(0xb8, 0xd8, 0xa0));
  p.drawText(QRectF(114, 72, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Player ") + version);
  if (!company.isEmpty()) {
    p.setPen(QColor(0xc0, 0xc0, 0xc0));
    p.drawText(QRectF(10, 118, 300, 20), Qt::AlignHCenter | Qt::AlignVCenter, company);
  }
  return picture;
}

bool InHotCorner(QPoint p) {
  return p.x() >= 210 && p.x() < kSplashPictureWidth && p.y() >= 0 && p.y() <= 35;
}

TSplashPictureLabel::TSplashPictureLabel(const QPixmap& picture, bool hotCorner, QWidget* parent)
    : QLabel(parent), hotCorner_(hotCorner) {
  setObjectName(QStringLiteral("imgSplash"));
  setPixmap(picture);
  setFixedSize(kSplashPictureWidth, kSplashPictureHeight);
  setMouseTracking(hotCorner);
}

void TSplashPictureLabel::mouseMoveEvent(QMouseEvent* event) {
  if (!hotCorner_) return QLabel::mouseMoveEvent(event);
  if (InHotCorner(event->position().toPoint()))
    setCursor(Qt::PointingHandCursor);
  else
    unsetCursor();
}

void TSplashPictureLabel::mousePressEvent(QMouseEvent* event) {
  if (hotCorner_ && event->button() == Qt::LeftButton && InHotCorner(event->position().toPoint())) {
    emit HotCornerClicked();
    return;
  }
  QLabel::mousePressEvent(event);
}

}  // namespace qrl
