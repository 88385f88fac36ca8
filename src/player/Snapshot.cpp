#include "player/Snapshot.h"

#include <QBuffer>
#include <QFileInfo>
#include <fstream>

#include "document/TAtomicTarget.h"
#include "format/QuireleafException.h"

namespace qrl {

QString SnapshotFileName(const QString& flyerFileName) {
  const qsizetype nameStart = flyerFileName.lastIndexOf(QLatin1Char('/')) + 1;
  const qsizetype dot = flyerFileName.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot >= nameStart ? flyerFileName.left(dot) : flyerFileName;
  return stem + QStringLiteral(".BMP");
}

void SaveSnapshot(const QImage& picture, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (picture.isNull() || !picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
    throw EQuireleafException("The snapshot could not be made.");
  TAtomicTarget target(path.toStdString());
  {
    std::ofstream out(target.TempPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
    out.close();
    if (!out) throw EFileError("Cannot write \"" + path.toStdString() + "\"");
  }
  target.Commit();
}

}  // namespace qrl
