#include "elements/TCKbImage.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "elements/ColourTable.h"
#include "elements/FixedPart.h"
#include "format/QuireleafException.h"
#include "format/TTempFiles.h"
#include "imaging/CheckMemory.h"
#include "imaging/DecodeFif.h"
#include "imaging/DecodeJpeg.h"

namespace qrl {

namespace {

constexpr std::int16_t ofTransparent = 0x0001;
constexpr std::int16_t ofBackground = 0x0004;

TTempFiles& TempFilesOf(const TElementContext& context) {
  if (context.TempFiles == nullptr) throw std::logic_error("Image elements need the flyer's temporary files");
  return *context.TempFiles;
}

// Pixels to decode along one axis for a placement at [start, start + length): the part on the
// canvas (of extent canvas) at the given zoom, never more than the placement itself and at
// least 1, since 0 would ask for the picture's own size. Without a canvas (a flyer whose
// description is missing or comes late) nothing bigger than the screen (of extent screen) is
// ever shown.
std::int32_t DecodingExtent(std::int32_t start, std::int32_t length, std::int32_t canvas, double zoom,
                            std::int32_t screen) {
  if (length <= 0) return 1;
  if (canvas <= 0) return std::clamp(length, 1, std::max(screen, 1));
  const std::int64_t visible = std::clamp<std::int64_t>(
      std::min<std::int64_t>(std::int64_t{start} + length, canvas) - std::max<std::int64_t>(start, 0), 0, length);
  return static_cast<std::int32_t>(
      std::clamp<double>(std::ceil(static_cast<double>(visible) * zoom), 1, static_cast<double>(length)));
}

// The largest zoom the screen allows the canvas: the page area keeps the canvas's proportions.
double LargestZoom(const TElementContext& context) {
  if (context.CanvasWidth <= 0 || context.CanvasHeight <= 0) return 1;
  const TScreenMetrics& screen = context.ScreenMetrics;
  return std::max(1.0, std::min(static_cast<double>(screen.horzRes) / context.CanvasWidth,
                                static_cast<double>(screen.vertRes) / context.CanvasHeight));
}

}  // namespace

TCKbImage::~TCKbImage() {
  Context().ResidentPictureBytes -= residentBytes_;
  auto& candidates = Context().SwapCandidates;
  candidates.erase(std::remove(candidates.begin(), candidates.end(), this), candidates.end());
}

std::unique_ptr<TCKbOccurrence> TCKbImage::CreateOccurrence() { return std::make_unique<TCKbOccImage>(*this); }

void TCKbImage::Load(TQLStream& stream, std::int64_t headerEnd) {
  if (stream.ReadSmallInt() != kFifCompression) throw EQuireleafDebugger(ecInvalidImageCompression);
  SkipToFixedPartEnd(stream, headerEnd);
  const std::int64_t remaining = stream.BlockRemaining();
  if (remaining < 0) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  CheckMemory(static_cast<std::uint64_t>(remaining));
  Data.resize(static_cast<std::size_t>(remaining));
  stream.ReadBuffer(Data.data(), remaining);
  DataSize = static_cast<std::int32_t>(remaining);
  PictureWidth = 0;
  PictureHeight = 0;
  Bitmap = TDib();
  InMemory = false;
  OnDisk = false;
}

void TCKbImage::LoadFromJpegFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!in || ec) throw EFileError("Cannot open file \"" + path + "\"");
  CheckMemory(size);
  Data.resize(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(Data.data()), static_cast<std::streamsize>(size)))
    throw EFileError("Cannot read file \"" + path + "\"");
  DataSize = static_cast<std::int32_t>(size);
  IsJpeg = true;
  // The picture file is never read back as a bitmap: a forced release writes a real swap file.
  OnDisk = false;
  SwapFileName.clear();
  PictureWidth = 0;
  PictureHeight = 0;
  InMemory = false;
  Prepare();
}

void TCKbImage::Prepare() {
  if (Decoded) return;
  if (Bitmap.Empty()) {
    Bitmap = IsJpeg ? DecodeJpeg(Data.data(), Data.size())
                    : DecodeFif(Data.data(), Data.size(), PictureWidth, PictureHeight, Context().ScreenMetrics);
    PictureWidth = Bitmap.Width();
    PictureHeight = Bitmap.Height();
  }
  Data.clear();
  Data.shrink_to_fit();
  Decoded = true;
  InMemory = true;
  CountResidentBytes();
  if (Context().ScreenBitsPerPixel == 8 && Palette.empty()) Palette = BuildColourTable(Bitmap);
}

void TCKbImage::Ensure() {
  auto& candidates = Context().SwapCandidates;
  if (const auto it = std::find(candidates.begin(), candidates.end(), this); it != candidates.end())
    candidates.erase(it);
  if (InMemory) return;
  const TElementContext& context = Context();
  while (!candidates.empty() && (context.ResidentPictureBytes > context.PictureBudget ||
                                 context.AvailableMemory() < context.SwapThreshold)) {
    TCKbImage* oldest = candidates.front();
    oldest->Release(true);
    candidates.erase(candidates.begin());
  }
  if (!Decoded)
    Prepare();
  else if (OnDisk)
    ReadSwapFile();
  InMemory = true;
}

void TCKbImage::Release(bool force) {
  CountResidentBytes();
  if (!InMemory) return;
  TElementContext& context = Context();
  if (!force) {
    auto& candidates = context.SwapCandidates;
    candidates.push_back(this);
    while (context.ResidentPictureBytes > context.PictureBudget && !candidates.empty()) {
      TCKbImage* oldest = candidates.front();
      candidates.erase(candidates.begin());
      oldest->Release(true);
    }
    return;
  }
  SwapOut();
  Bitmap = TDib();
  InMemory = false;
  CountResidentBytes();
}

void TCKbImage::CountResidentBytes() {
  const auto bytes = static_cast<std::int64_t>(Bitmap.Bytes().size());
  Context().ResidentPictureBytes += bytes - residentBytes_;
  residentBytes_ = bytes;
}

void TCKbImage::SwapOut() {
  if (OnDisk || !InMemory) return;
  TTempFiles& tempFiles = TempFilesOf(Context());
  const std::string name = tempFiles.TempFileName();
  const auto& bytes = Bitmap.Bytes();
  {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      tempFiles.DeleteTempFile(name);
      throw EFileError("Cannot write the swap file \"" + name + "\"");
    }
  }
  SwapFileName = name;
  swappedSize_ = bytes.size();
  OnDisk = true;
}

void TCKbImage::ReadSwapFile() {
  const auto damaged = [this] { return EFileError("The swap file \"" + SwapFileName + "\" is missing or damaged"); };
  std::error_code ec;
  const auto size = std::filesystem::file_size(SwapFileName, ec);
  std::ifstream in(SwapFileName, std::ios::binary);
  if (ec || !in || size != swappedSize_) throw damaged();
  std::vector<std::uint8_t> bytes(swappedSize_);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) throw damaged();
  TDib bitmap = TDib::FromBytes(std::move(bytes));
  if (bitmap.Width() != PictureWidth || bitmap.Height() != PictureHeight) throw damaged();
  Bitmap = std::move(bitmap);
  CountResidentBytes();
}

void TCKbOccImage::Load(TQLStream& stream, int layout) {
  TCKbImage& image = Image();
  // A picture made from a placeholder text reads the text's placement block, which carries its
  // rectangle first in either layout.
  if (layout == 2 || image.IsJpeg) LoadPlacement(stream);
  if (!image.IsJpeg) {
    const std::int16_t flags = stream.ReadSmallInt();
    Transparent = (flags & ofTransparent) != 0;
    Background = (flags & ofBackground) != 0;
    if (Transparent) KeyColour = stream.ReadColor();
    if (layout == 1) LoadPlacement(stream);
  }
  // A decoded picture keeps its size: it is what the bitmap holds.
  if (!image.Decoded) {
    const TElementContext& context = image.Context();
    const double zoom = LargestZoom(context);
    const TScreenMetrics& screen = context.ScreenMetrics;
    image.PictureWidth = std::max(
        image.PictureWidth, DecodingExtent(DesignLeft, DesignWidth, context.CanvasWidth, zoom, screen.horzRes));
    image.PictureHeight = std::max(
        image.PictureHeight, DecodingExtent(DesignTop, DesignHeight, context.CanvasHeight, zoom, screen.vertRes));
  }
}

void TCKbOccImage::Rescale(double scale) {
  TCKbOccurrence::Rescale(scale);
  MaskCache.reset();
}

}  // namespace qrl
