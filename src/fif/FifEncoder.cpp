#include "fif/FifEncoder.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "fif/FifKeyMask.h"
#include "fif/FifParallel.h"
#include "fif/FifPlaneEncoder.h"
#include "fif/FifStatus.h"
#include "fif/FifSymbols.h"

namespace qrl {

namespace {

// Squared error weights of chroma against luma: a chroma plane is a quarter of the pixels but
// each of its errors spreads over four output pixels and into two or three colour channels.
constexpr double kChromaLambdaFactor = 0.3;

// Blocks up to this side search the 3 x 3 domains around their own place, larger ones 5 x 5.
constexpr int kSmallBlock = 8;

// Mean steps: this times sqrt(lambda), over the block's side.
constexpr double kMeanStepScale = 3.0;

// The decoding cost of a leaf at high qualities, in bits (LeafBits).
constexpr double kLeafBits = 8.0;

// Squared error per estimated bit that the encoder is willing to trade.
double Lambda(int quality) { return 2.0 * std::pow(2.0, (100 - quality) / 8.0); }

TFifPlaneParams PlaneParams(double lambda) {
  TFifPlaneParams p;
  p.topLog2 = 5;
  // Small leaves cost little with predicted means and pay off on fine texture; single pixels
  // also keep tiny pictures and thin edge strips (where no domain fits) exact.
  p.minLog2 = 0;
  p.contrastLevels = 8;
  p.contrastDen = 8;
  for (int level = 0; level < p.Levels(); ++level) {
    const int size = 1 << (p.topLog2 - level);
    // Good domains lie close by: wider windows cost search time and offset bits for a few
    // hundredths of a dB.
    p.searchRadius[level] = size <= kSmallBlock ? 1 : 2;
    p.searchStep[level] = std::max(1, size / 8);
    // A mean's error spreads over the block's n pixels: the step that balances squared error
    // against bits at this lambda is sqrt(6 lambda / ln 2 / n) for a uniform quantiser, about
    // 3 sqrt(lambda) / side. Coarse steps for small leaves and fine ones for large blocks gave
    // 0.8 dB at equal size on the test photographs over one step for all.
    p.meanStep[level] = std::clamp(static_cast<int>(std::lround(kMeanStepScale * std::sqrt(lambda) / size)), 1, 64);
  }
  return p;
}

// What a leaf costs the decoder, in bits charged on top of its own. At high qualities tiny leaves
// (mostly single pixels) multiply, and the decoding time with them, while each buys little: from
// the default quality up to 90 the charge grows to kLeafBits. On the test photographs at 90 it
// costs 0.7 dB at equal size and saves a quarter of the decoding time; the default quality is
// left alone, where even a bit took away the zoom's lead on a small picture.
double LeafBits(int quality) {
  return kLeafBits * std::clamp((quality - kFifDefaultQuality) / (90.0 - kFifDefaultQuality), 0.0, 1.0);
}

void CheckSize(int width, int height) {
  if (width < 1 || height < 1 || width > kFifMaxPictureSide || height > kFifMaxPictureSide ||
      std::int64_t{width} * height > kFifMaxPicturePixels)
    throw EFifError(fsBadPicture, "picture size out of range");
}

void CheckOptions(const TFifEncodeOptions& options) {
  if (options.quality < 1 || options.quality > 100) throw EFifError(fsBadArgument, "quality must be 1..100");
  if (options.threads < 0) throw EFifError(fsBadArgument, "threads");
  if (const auto& p = options.physicalSize) {
    if (p->width <= 0 || p->height <= 0 || (p->unit != '"' && p->unit != 'm') || p->exponent < -9 ||
        p->exponent > 9)
      throw EFifError(fsBadArgument, "physical size");
  }
}

// A plane halved in both directions (odd edges repeat their last pixel).
TFifPlaneSource Halve(const TFifPlaneSource& full) {
  TFifPlaneSource h;
  h.width = (full.width + 1) / 2;
  h.height = (full.height + 1) / 2;
  h.pixels.resize(static_cast<std::size_t>(h.width) * h.height);
  for (int y = 0; y < h.height; ++y) {
    const int y0 = 2 * y;
    const int y1 = std::min(2 * y + 1, full.height - 1);
    for (int x = 0; x < h.width; ++x) {
      const int x0 = 2 * x;
      const int x1 = std::min(2 * x + 1, full.width - 1);
      const auto at = [&](int xx, int yy) { return full.pixels[static_cast<std::size_t>(yy) * full.width + xx]; };
      h.pixels[static_cast<std::size_t>(y) * h.width + x] = 0.25f * (at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1));
    }
  }
  return h;
}

void PutSegmentLength(std::vector<std::uint8_t>& out, std::size_t length) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
}

// One coded segment; bytes past the coded data are never read, they only keep the block count
// within the bound the decoder enforces.
std::vector<std::uint8_t> PadSegment(std::vector<std::uint8_t> bytes, std::size_t blocks) {
  if (MaxFifBlocks(bytes.size()) < blocks) bytes.resize((blocks - MaxFifBlocks(0) + 31) / 32);
  return bytes;
}

// Luma, then both chroma planes (sharing their probabilities), then the key region: each its own
// segment, so that a decoder may parse them side by side.
std::vector<std::uint8_t> Assemble(const TFifHeader& header, const std::vector<TFifPlaneSource>& planes,
                                   TFifKeyMask* keyMask, int threads) {
  const double lambda = Lambda(header.quality);
  std::vector<TFifPlane> coded(planes.size());
  ParallelFor(planes.size(), threads > 0 ? threads : FifDefaultThreads(), [&](std::size_t i) {
    coded[i] = EncodePlane(planes[i], i > 0 ? header.chroma : header.luma, i > 0 ? lambda * kChromaLambdaFactor : lambda,
                           LeafBits(header.quality));
  });
  std::vector<std::vector<std::uint8_t>> segments;
  const auto codeSegment = [&](std::size_t first, std::size_t end) {
    const TFifPlaneParams& params = first > 0 ? header.chroma : header.luma;
    TRansEncoder writer;
    TFifPlaneModels models(params);
    std::size_t blocks = 0;
    for (std::size_t i = first; i < end; ++i) {
      CodePlane(writer, models, params, coded[i]);
      blocks += coded[i].blocks.size();
    }
    segments.push_back(PadSegment(writer.Finish(), blocks));
  };
  codeSegment(0, 1);
  if (coded.size() > 1) codeSegment(1, coded.size());
  if (keyMask) {
    TSymbolWriter writer;
    TFifKeyContexts contexts;
    CodeKeyMask(writer, contexts, *keyMask);
    segments.push_back(PadSegment(writer.Coder().Finish(), keyMask->flips.size()));
  }
  std::vector<std::uint8_t> out;
  WriteFifHeader(header, out);
  for (std::size_t i = 0; i + 1 < segments.size(); ++i) PutSegmentLength(out, segments[i].size());
  for (const std::vector<std::uint8_t>& segment : segments) out.insert(out.end(), segment.begin(), segment.end());
  AppendFifChecksum(out);
  return out;
}

TFifHeader MakeHeader(int width, int height, bool grey, const TFifEncodeOptions& options) {
  TFifHeader header;
  header.width = width;
  header.height = height;
  header.grey = grey;
  header.quality = options.quality;
  header.physicalSize = options.physicalSize;
  header.key = options.key;
  header.luma = PlaneParams(Lambda(options.quality));
  if (!grey) header.chroma = PlaneParams(Lambda(options.quality) * kChromaLambdaFactor);
  return header;
}

}  // namespace

std::vector<std::uint8_t> EncodeFif(const TDib& picture, const TFifEncodeOptions& options) {
  CheckOptions(options);
  if (picture.Empty()) throw EFifError(fsBadPicture, "no picture");
  const int width = picture.Width();
  const int height = picture.Height();
  CheckSize(width, height);
  if (picture.Bytes().size() < TDib::kHeaderSize + static_cast<std::size_t>(picture.Stride()) * height)
    throw EFifError(fsBadPicture, "picture bytes cut short");
  try {
    std::optional<TFifKeyMask> keyMask;
    const TDib* source = &picture;
    TDib filled;
    if (options.key) {
      keyMask = FindKeyRegion(picture, *options.key);
      filled = picture;
      FillKeyRegion(filled, *keyMask);
      source = &filled;
    }
    bool grey = true;
    for (int y = 0; y < height && grey; ++y) {
      const std::uint8_t* row = source->ScanLine(y);
      for (int x = 0; x < width; ++x, row += 3)
        if (row[0] != row[1] || row[1] != row[2]) {
          grey = false;
          break;
        }
    }
    std::vector<TFifPlaneSource> planes(grey ? 1 : 3);
    for (auto& p : planes) {
      p.width = width;
      p.height = height;
      p.pixels.resize(static_cast<std::size_t>(width) * height);
    }
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = source->ScanLine(y);
      for (int x = 0; x < width; ++x, row += 3) {
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        const float b = row[0];
        const float g = row[1];
        const float r = row[2];
        if (grey) {
          planes[0].pixels[i] = g;
          continue;
        }
        planes[0].pixels[i] = 0.299f * r + 0.587f * g + 0.114f * b;
        planes[1].pixels[i] = -0.168736f * r - 0.331264f * g + 0.5f * b + 128.0f;
        planes[2].pixels[i] = 0.5f * r - 0.418688f * g - 0.081312f * b + 128.0f;
      }
    }
    if (!grey) {
      planes[1] = Halve(planes[1]);
      planes[2] = Halve(planes[2]);
    }
    return Assemble(MakeHeader(width, height, grey, options), planes, keyMask ? &*keyMask : nullptr, options.threads);
  } catch (const std::bad_alloc&) {
    throw EFifError(fsOutOfMemory);
  }
}

std::vector<std::uint8_t> EncodeFifGrey(const std::uint8_t* pixels, int width, int height, std::ptrdiff_t stride,
                                        const TFifEncodeOptions& options) {
  CheckOptions(options);
  if (pixels == nullptr) throw EFifError(fsBadPicture, "no picture");
  CheckSize(width, height);
  if (std::abs(stride) < width) throw EFifError(fsBadArgument, "stride shorter than a row");
  try {
    std::vector<TFifPlaneSource> planes(1);
    planes[0].width = width;
    planes[0].height = height;
    planes[0].pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      std::copy_n(pixels + y * stride, width, &planes[0].pixels[static_cast<std::size_t>(y) * width]);
    if (options.key) throw EFifError(fsBadArgument, "grey byte pictures cannot be keyed");
    return Assemble(MakeHeader(width, height, true, options), planes, nullptr, options.threads);
  } catch (const std::bad_alloc&) {
    throw EFifError(fsOutOfMemory);
  }
}

}  // namespace qrl
