#include "windows/SplashPicture.h"

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

}  // namespace qrl
