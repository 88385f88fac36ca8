#include "fif/FifBitstream.h"

#include <algorithm>

#include <zlib.h>

#include "fif/FifStatus.h"

namespace qrl {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Bounded little-endian reads; running past the end means the stream was cut short.
class THeaderReader {
 public:
  explicit THeaderReader(std::span<const std::uint8_t> data) : data_(data) {}
  std::uint8_t U8() {
    if (pos_ >= data_.size()) throw EFifError(fsDamaged, "header cut short");
    return data_[pos_++];
  }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(U8()) << (8 * i);
    return v;
  }
  std::size_t Position() const { return pos_; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

void Require(bool condition, const char* what) {
  if (!condition) throw EFifError(fsBadHeader, what);
}

void WritePlaneParams(const TFifPlaneParams& p, std::vector<std::uint8_t>& out) {
  out.push_back(static_cast<std::uint8_t>(p.topLog2));
  out.push_back(static_cast<std::uint8_t>(p.minLog2));
  out.push_back(static_cast<std::uint8_t>(p.contrastLevels));
  out.push_back(static_cast<std::uint8_t>(p.contrastDen));
  for (int level = 0; level < p.Levels(); ++level) {
    out.push_back(static_cast<std::uint8_t>(p.searchRadius[level]));
    out.push_back(static_cast<std::uint8_t>(p.searchStep[level]));
    out.push_back(static_cast<std::uint8_t>(p.meanStep[level]));
  }
}

int ReadMeanStep(THeaderReader& in) {
  const int step = in.U8();
  Require(step >= 1 && step <= 64, "mean step");
  return step;
}

// Before version 4 one mean step served every level; it stood between the block sizes and the
// contrast fields.
TFifPlaneParams ReadPlaneParams(THeaderReader& in, int version) {
  TFifPlaneParams p;
  p.topLog2 = in.U8();
  p.minLog2 = in.U8();
  Require(p.minLog2 >= kFifMinBlockLog2 && p.topLog2 <= kFifMaxBlockLog2 && p.minLog2 <= p.topLog2,
          "block sizes");
  if (version < 4) p.meanStep.fill(ReadMeanStep(in));
  p.contrastLevels = in.U8();
  p.contrastDen = in.U8();
  Require(p.contrastLevels >= 1 && p.contrastLevels <= kFifMaxContrastLevels, "contrast levels");
  // Contrast magnitudes up to 2 keep the rendered values bounded and the iteration meaningful.
  Require(p.contrastDen >= 1 && p.contrastLevels <= 2 * p.contrastDen, "contrast range");
  for (int level = 0; level < p.Levels(); ++level) {
    p.searchRadius[level] = in.U8();
    p.searchStep[level] = in.U8();
    Require(p.searchRadius[level] <= kFifMaxSearchRadius, "search radius");
    Require(p.searchStep[level] >= 1 && p.searchStep[level] <= 64, "search step");
    if (version >= 4) p.meanStep[level] = ReadMeanStep(in);
  }
  return p;
}

}  // namespace

void WriteFifHeader(const TFifHeader& header, std::vector<std::uint8_t>& out) {
  out.insert(out.end(), kFifSignature.begin(), kFifSignature.end());
  out.push_back(kFifVersion);
  std::uint8_t flags = 0;
  if (header.grey) flags |= kFifFlagGrey;
  if (header.physicalSize) flags |= kFifFlagPhysicalSize;
  if (header.key) flags |= kFifFlagKeyed;
  out.push_back(flags);
  out.push_back(static_cast<std::uint8_t>(header.quality));
  Put32(out, static_cast<std::uint32_t>(header.width));
  Put32(out, static_cast<std::uint32_t>(header.height));
  if (header.physicalSize) {
    Put32(out, static_cast<std::uint32_t>(header.physicalSize->width));
    Put32(out, static_cast<std::uint32_t>(header.physicalSize->height));
    out.push_back(static_cast<std::uint8_t>(header.physicalSize->unit));
    out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(header.physicalSize->exponent)));
  }
  if (header.key) out.insert(out.end(), {header.key->red, header.key->green, header.key->blue});
  WritePlaneParams(header.luma, out);
  if (!header.grey) WritePlaneParams(header.chroma, out);
}

std::size_t ReadFifHeader(std::span<const std::uint8_t> data, TFifHeader& header) {
  if (data.size() < kFifSignature.size() || !std::equal(kFifSignature.begin(), kFifSignature.end(), data.begin()))
    throw EFifError(fsNotFif);
  THeaderReader in(data.subspan(kFifSignature.size()));
  TFifHeader h;
  h.version = in.U8();
  if (h.version < kFifOldestVersion || h.version > kFifVersion) throw EFifError(fsUnsupportedVersion);
  const std::uint8_t flags = in.U8();
  const std::uint8_t known = kFifFlagGrey | kFifFlagPhysicalSize | (h.version >= 2 ? kFifFlagKeyed : 0);
  Require((flags & ~known) == 0, "unknown flags");
  h.grey = (flags & kFifFlagGrey) != 0;
  h.quality = in.U8();
  Require(h.quality >= 1 && h.quality <= 100, "quality");
  const std::uint32_t width = in.U32();
  const std::uint32_t height = in.U32();
  Require(width >= 1 && height >= 1 && width <= kFifMaxPictureSide && height <= kFifMaxPictureSide &&
              std::int64_t{width} * height <= kFifMaxPicturePixels,
          "picture size");
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);
  if (flags & kFifFlagPhysicalSize) {
    TFifPhysicalSize p;
    p.width = static_cast<std::int32_t>(in.U32());
    p.height = static_cast<std::int32_t>(in.U32());
    p.unit = static_cast<char>(in.U8());
    p.exponent = static_cast<std::int8_t>(in.U8());
    Require(p.width > 0 && p.height > 0, "physical size");
    Require(p.unit == '"' || p.unit == 'm', "physical unit");
    Require(p.exponent >= -9 && p.exponent <= 9, "physical exponent");
    h.physicalSize = p;
  }
  if (flags & kFifFlagKeyed) {
    TFifKeyColour key;
    key.red = in.U8();
    key.green = in.U8();
    key.blue = in.U8();
    h.key = key;
  }
  h.luma = ReadPlaneParams(in, h.version);
  if (!h.grey) h.chroma = ReadPlaneParams(in, h.version);
  header = h;
  return kFifSignature.size() + in.Position();
}

std::uint32_t Crc32(std::span<const std::uint8_t> data) {
  // zlib takes at most 4 GiB a call.
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::size_t at = 0; at < data.size();) {
    const auto chunk = static_cast<uInt>(std::min<std::size_t>(data.size() - at, 1u << 30));
    crc = crc32(crc, data.data() + at, chunk);
    at += chunk;
  }
  return static_cast<std::uint32_t>(crc);
}

void AppendFifChecksum(std::vector<std::uint8_t>& out) { Put32(out, Crc32(out)); }

bool FifChecksumMatches(std::span<const std::uint8_t> data) {
  if (data.size() < 4) return false;
  const std::size_t n = data.size() - 4;
  const std::uint32_t stored = static_cast<std::uint32_t>(data[n]) | (static_cast<std::uint32_t>(data[n + 1]) << 8) |
                               (static_cast<std::uint32_t>(data[n + 2]) << 16) |
                               (static_cast<std::uint32_t>(data[n + 3]) << 24);
  return stored == Crc32(data.first(n));
}

}  // namespace qrl
