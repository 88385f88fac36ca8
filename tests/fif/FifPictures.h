#pragma once
// Test pictures for the FIF codec: the photographs of the shared test data read into DIBs,
// crops and box-filtered reductions of them, synthetic pictures, and the PSNR that judges them.

#include <QImage>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/Dib.h"

namespace qrl::test {

// The photographs beside the tests (data/SOURCES.md names their origin and licences).
// A black picture; the bounds let the compiler see that the pixel buffer is never empty.
inline TDib NewDib(int width, int height) {
  if (width < 1 || height < 1 || width > 65535 || height > 65535) std::abort();
  return TDib(width, height);
}

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

inline TDib Crop(const TDib& from, int left, int top, int width, int height) {
  TDib dib = NewDib(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 3 * width; ++x) dib.ScanLine(y)[x] = from.ScanLine(top + y)[3 * left + x];
  return dib;
}

// Halves a picture with 2 x 2 means (odd edges dropped).
inline TDib Halve(const TDib& from) {
  const int w = from.Width() / 2;
  const int h = from.Height() / 2;
  TDib dib = NewDib(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        const int s = from.ScanLine(2 * y)[6 * x + c] + from.ScanLine(2 * y)[6 * x + 3 + c] +
                      from.ScanLine(2 * y + 1)[6 * x + c] + from.ScanLine(2 * y + 1)[6 * x + 3 + c];
        dib.ScanLine(y)[3 * x + c] = static_cast<std::uint8_t>((s + 2) / 4);
      }
  return dib;
}

// Peak signal-to-noise ratio over all three channels, in dB (99 for identical pictures).
inline double Psnr(const TDib& a, const TDib& b) {
  double sum = 0.0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < 3 * a.Width(); ++x) {
      const double d = static_cast<double>(a.ScanLine(y)[x]) - b.ScanLine(y)[x];
      sum += d * d;
    }
  const double mse = sum / (3.0 * a.Width() * a.Height());
  return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace qrl::test
