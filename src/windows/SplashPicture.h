#pragma once
// The picture of the splash and about windows, drawn in code.

#include <QPixmap>
#include <QString>

namespace qrl {

inline constexpr int kSplashPictureWidth = 320;
inline constexpr int kSplashPictureHeight = 150;

// The product picture with the version text and, when not empty, the company that made the flyer.
QPixmap SplashPicture(const QString& version, const QString& company, qreal devicePixelRatio);

}  // namespace qrl
