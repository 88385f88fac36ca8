#include "tools/common/PictureFile.h"

#include <QImageReader>
#include <QImageWriter>
#include <QFile>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <vector>

#include "format/QuireleafException.h"
#include "format/TAtomicFile.h"
#include "imaging/CheckMemory.h"

namespace qrl {

namespace {

std::string Extension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// Over white: with premultiplied channels that is the channel plus the part white shows through.
TDib CompositeOverWhite(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  TDib dib = AllocateDib(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    std::uint8_t* out = dib.ScanLine(y);
    for (int x = 0; x < image.width(); ++x, out += 3) {
      const int white = 255 - qAlpha(in[x]);
      out[0] = static_cast<std::uint8_t>(qBlue(in[x]) + white);
      out[1] = static_cast<std::uint8_t>(qGreen(in[x]) + white);
      out[2] = static_cast<std::uint8_t>(qRed(in[x]) + white);
    }
  }
  return dib;
}

TDib CopyOpaque(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_BGR888);
  TDib dib = AllocateDib(image.width(), image.height());
  const auto rowBytes = static_cast<std::size_t>(image.width()) * 3;
  for (int y = 0; y < image.height(); ++y) std::memcpy(dib.ScanLine(y), image.constScanLine(y), rowBytes);
  return dib;
}

void Write(QFile& file, const void* data, std::size_t size) {
  if (file.write(static_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
    throw EFileError("Cannot write " + file.fileName().toStdString() + ": " + file.errorString().toStdString());
}

void WriteBmp(const TDib& picture, QFile& file) {
  const auto total = static_cast<std::uint32_t>(14 + picture.Bytes().size());
  const std::uint32_t pixelOffset = 14 + TDib::kHeaderSize;
  std::uint8_t header[14] = {'B', 'M'};
  for (int i = 0; i < 4; ++i) {
    header[2 + i] = static_cast<std::uint8_t>(total >> (8 * i));
    header[10 + i] = static_cast<std::uint8_t>(pixelOffset >> (8 * i));
  }
  Write(file, header, sizeof header);
  Write(file, picture.Bytes().data(), picture.Bytes().size());
}

void WritePpm(const TDib& picture, QFile& file) {
  const std::string header = "P6\n" + std::to_string(picture.Width()) + " " + std::to_string(picture.Height()) + "\n255\n";
  Write(file, header.data(), header.size());
  std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.Width()) * 3);
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* in = picture.ScanLine(y);
    for (std::size_t i = 0; i < row.size(); i += 3) {
      row[i] = in[i + 2];
      row[i + 1] = in[i + 1];
      row[i + 2] = in[i];
    }
    Write(file, row.data(), row.size());
  }
}

void WritePng(const TDib& picture, QFile& file) {
  QImageWriter writer(&file, "png");
  if (!writer.write(DibToImage(picture)))
    throw EFileError("Cannot write " + file.fileName().toStdString() + ": " + writer.errorString().toStdString());
}

}  // namespace

TDib ReadPictureFile(const std::string& path) {
  // Qt's own guard against huge pictures is lower than the player's block cap; the cap decides.
  QImageReader::setAllocationLimit(static_cast<int>(kMaxBlockBytes >> 20) * 4 / 3);
  QImageReader reader(QString::fromStdString(path));
  reader.setDecideFormatFromContent(true);
  const QByteArray format = reader.format();  // detected from the content before reading
  if (!format.isEmpty() && format != "png" && format != "jpeg" && format != "bmp")
    throw EInvalidGraphic(path + " is a " + format.toStdString() + " picture; PNG, JPEG or BMP expected");
  const QImage image = reader.read();
  if (image.isNull()) {
    const std::string reason = reader.errorString().toStdString();
    if (reader.error() == QImageReader::FileNotFoundError || reader.error() == QImageReader::DeviceError)
      throw EFileError("Cannot read " + path + ": " + reason);
    throw EInvalidGraphic(path + " is no readable picture: " + reason);
  }
  return ImageToDib(image);
}

QImage DibToImage(const TDib& picture) {
  if (picture.Empty()) return {};
  QImage image(picture.Width(), picture.Height(), QImage::Format_BGR888);
  if (image.isNull()) throw EQuireleafDebugger(ecOutOfMemory);
  const auto rowBytes = static_cast<std::size_t>(picture.Width()) * 3;
  for (int y = 0; y < picture.Height(); ++y) std::memcpy(image.scanLine(y), picture.ScanLine(y), rowBytes);
  return image;
}

TDib ImageToDib(const QImage& image) {
  return image.hasAlphaChannel() ? CompositeOverWhite(image) : CopyOpaque(image);
}

bool IsPictureFileName(const std::string& path) {
  const std::string ext = Extension(path);
  return ext == ".png" || ext == ".bmp" || ext == ".ppm";
}

void WritePictureFile(const TDib& picture, const std::string& path) {
  if (picture.Empty() || picture.Width() < 1 || picture.Height() < 1 ||
      picture.Bytes().size() < TDib::kHeaderSize + static_cast<std::size_t>(picture.Stride()) * picture.Height())
    throw EFileError("Cannot write " + path + ": the picture is empty or incomplete");
  const std::string ext = Extension(path);
  if (!IsPictureFileName(path))
    throw EFileError("Cannot write " + path + ": unknown picture type \"" + ext + "\" (.png, .bmp or .ppm)");

  TAtomicFile target(path);
  {
    QFile file(QString::fromStdString(target.TempPath()));
    if (!file.open(QIODevice::WriteOnly))
      throw EFileError("Cannot write " + path + ": " + file.errorString().toStdString());
    if (ext == ".png")
      WritePng(picture, file);
    else if (ext == ".bmp")
      WriteBmp(picture, file);
    else
      WritePpm(picture, file);
    file.close();
    if (file.error() != QFileDevice::NoError)
      throw EFileError("Cannot write " + path + ": " + file.errorString().toStdString());
  }
  target.Commit();
}

}  // namespace qrl
