#pragma once
// The snapshot: what the window shows, saved as a BMP file beside the flyer.

#include <QImage>
#include <QString>

namespace qrl {

// The flyer's path with the extension of its file name replaced by ".BMP" (appended when the
// name has none).
QString SnapshotFileName(const QString& flyerFileName);

// Writes picture as a 24-bit BMP file; an existing file is replaced only by a complete one.
// Raises EQuireleafException or EFileError when it cannot be written.
void SaveSnapshot(const QImage& picture, const QString& path);

}  // namespace qrl
