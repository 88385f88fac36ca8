#pragma once
// The photographs beside the tests (data/SOURCES.md names their origin and licences), read
// through QtGui into DIBs.

#include <QImage>

#include <string>

#include "fif/FifTestPictures.h"

namespace qrl::test {

inline std::string PhotoPath(const std::string& name) { return std::string(QRL_FIF_PHOTOS) + "/" + name; }

// Reads a picture file into a DIB; an empty DIB when it cannot be read.
inline TDib LoadPicture(const std::string& path) {
  QImage image(QString::fromStdString(path));
  if (image.isNull()) return {};
  image = image.convertToFormat(QImage::Format_RGB888);
  TDib dib = NewDib(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* in = image.constScanLine(y);
    std::uint8_t* out = dib.ScanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      out[3 * x] = in[3 * x + 2];
      out[3 * x + 1] = in[3 * x + 1];
      out[3 * x + 2] = in[3 * x];
    }
  }
  return dib;
}

}  // namespace qrl::test
