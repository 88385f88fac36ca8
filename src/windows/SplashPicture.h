#pragma once
// The picture of the splash and about windows, drawn in code.

#include <QLabel>
#include <QPixmap>
#include <QString>

namespace qrl {

inline constexpr int kSplashPictureWidth = 320;
inline constexpr int kSplashPictureHeight = 150;

// The product picture with the version text and, when not empty, the company that made the flyer.
QPixmap SplashPicture(const QString& version, const QString& company, qreal devicePixelRatio);

// The picture's top-right corner, in picture pixels, where the custom about window's picture
// opens the web address.
bool InHotCorner(QPoint position);

// The picture shown in a label; with its hot corner on, the pointer becomes the hand there and a
// click there is reported.
class TSplashPictureLabel : public QLabel {
  Q_OBJECT
 public:
  TSplashPictureLabel(const QPixmap& picture, bool hotCorner, QWidget* parent);

 signals:
  void HotCornerClicked();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool hotCorner_;
};

}  // namespace qrl
