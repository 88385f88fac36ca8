#include "fif/FifDecoder.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "fif/FifColour.h"
#include "fif/FifKeyMask.h"
#include "fif/FifParallel.h"
#include "fif/FifRender.h"
#include "fif/FifStatus.h"
#include "fif/FifSymbols.h"

namespace qrl {

struct TFifPicture {
  TFifPlane planes[3];
  int planeCount = 0;
  std::optional<TFifKeyMask> keyMask;
};

namespace {

// Below this many output pixels a render stays on the calling thread: starting threads would
// cost more than they save.
constexpr std::int64_t kParallelPixels = 1 << 16;

// Rows per piece of the final colour conversion when it is shared out.
constexpr int kRowsPerBand = 64;

std::uint32_t Get32(std::span<const std::uint8_t> data, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(data[at + i]) << (8 * i);
  return v;
}

// The payload's segments: luma, chroma (colour pictures), key region (keyed pictures). All but
// the last are preceded by their lengths; the last takes the rest.
std::vector<std::span<const std::uint8_t>> Segments(std::span<const std::uint8_t> payload, std::size_t count) {
  const std::size_t table = 4 * (count - 1);
  if (payload.size() < table) throw EFifError(fsDamaged, "segment table cut short");
  std::vector<std::span<const std::uint8_t>> segments;
  std::size_t at = table;
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const std::uint32_t length = Get32(payload, 4 * i);
    if (length > payload.size() - at) throw EFifError(fsDamaged, "segment longer than the data");
    segments.push_back(payload.subspan(at, length));
    at += length;
  }
  segments.push_back(payload.subspan(at));
  return segments;
}

}  // namespace

TFifDecoder::TFifDecoder(std::span<const std::uint8_t> data, int threads)
    : threads_(threads > 0 ? threads : FifDefaultThreads()) {
  if (threads < 0) throw EFifError(fsBadArgument);
  try {
    const std::size_t headerSize = ReadFifHeader(data, header_);
    if (data.size() < headerSize + 4) throw EFifError(fsDamaged, "no picture data");
    if (!FifChecksumMatches(data)) throw EFifError(fsDamaged, "checksum mismatch");
    picture_ = std::make_unique<TFifPicture>();
    const std::span<const std::uint8_t> payload = data.subspan(headerSize, data.size() - headerSize - 4);
    picture_->planeCount = header_.grey ? 1 : 3;
    for (int i = 0; i < picture_->planeCount; ++i) {
      picture_->planes[i].width = i == 0 ? header_.width : (header_.width + 1) / 2;
      picture_->planes[i].height = i == 0 ? header_.height : (header_.height + 1) / 2;
    }
    if (header_.version == 1) {
      // One coder for all planes, and one bound on their blocks.
      TSymbolReader reader(payload);
      std::size_t blocksLeft = MaxFifBlocks(payload.size());
      std::vector<TFifPlaneContexts> contexts(2);
      for (int i = 0; i < picture_->planeCount; ++i) {
        TFifPlane& plane = picture_->planes[i];
        CodePlane(reader, contexts[i == 0 ? 0 : 1], i == 0 ? header_.luma : header_.chroma, plane, blocksLeft);
        blocksLeft -= plane.blocks.size();
      }
      reader.CheckInput();
      return;
    }
    const std::vector<std::span<const std::uint8_t>> segments =
        Segments(payload, (header_.grey ? 1 : 2) + (header_.key ? 1 : 0));
    if (header_.key) {
      picture_->keyMask.emplace();
      picture_->keyMask->width = header_.width;
      picture_->keyMask->height = header_.height;
    }
    // Segments code independently: each is parsed on its own thread when the picture is big enough.
    const bool parallel = std::int64_t{header_.width} * header_.height >= kParallelPixels;
    ParallelFor(segments.size(), parallel ? threads_ : 1, [&](std::size_t i) {
      const std::size_t maxBlocks = MaxFifBlocks(segments[i].size());
      if (i == segments.size() - 1 && header_.key) {
        TSymbolReader reader(segments[i]);
        TFifKeyContexts contexts;
        CodeKeyMask(reader, contexts, *picture_->keyMask, maxBlocks);
        reader.CheckInput();
      } else if (header_.version == 2) {
        TSymbolReader reader(segments[i]);
        TFifPlaneContexts contexts;
        ParsePlanes(reader, contexts, i, maxBlocks);
        reader.CheckInput();
      } else {
        TRansDecoder reader(segments[i]);
        TFifPlaneModels models(i == 0 ? header_.luma : header_.chroma);
        ParsePlanes(reader, models, i, maxBlocks);
        if (reader.Damaged() || !reader.Ended()) throw EFifError(fsDamaged, "picture data does not end where it should");
      }
    });
  } catch (const std::bad_alloc&) {
    throw EFifError(fsOutOfMemory);
  }
}

template <class IO, class Models>
void TFifDecoder::ParsePlanes(IO& reader, Models& models, std::size_t segment, std::size_t maxBlocks) {
  // Each plane is parsed into a plane of this thread's own and moved into the picture after: the
  // planes of the picture share cache lines, and a block list growing there while another thread
  // grows its neighbour's would pass those lines back and forth for every block.
  const auto parse = [&](int p, const TFifPlaneParams& params, std::size_t most) {
    TFifPlane plane;
    plane.width = picture_->planes[p].width;
    plane.height = picture_->planes[p].height;
    CodePlane(reader, models, params, plane, most);
    const std::size_t blocks = plane.blocks.size();
    picture_->planes[p] = std::move(plane);
    return blocks;
  };
  if (segment == 0) {
    parse(0, header_.luma, maxBlocks);
    return;
  }
  std::size_t blocksLeft = maxBlocks;
  for (int p = 1; p < 3; ++p) blocksLeft -= parse(p, header_.chroma, blocksLeft);
}

TFifDecoder::~TFifDecoder() = default;
TFifDecoder::TFifDecoder(TFifDecoder&&) noexcept = default;
TFifDecoder& TFifDecoder::operator=(TFifDecoder&&) noexcept = default;

void TFifDecoder::RenderBgr(int width, int height, std::uint8_t* firstRow, std::ptrdiff_t stride) const {
  if (width < 1 || height < 1 || width > kFifMaxOutputSide || height > kFifMaxOutputSide ||
      std::int64_t{width} * height > kFifMaxOutputPixels)
    throw EFifError(fsBadOutputSize);
  if (firstRow == nullptr || std::abs(stride) < std::ptrdiff_t{3} * width) throw EFifError(fsBadArgument);
  try {
    const TFifRatio sx{width, header_.width};
    const TFifRatio sy{height, header_.height};
    const int threads = std::int64_t{width} * height >= kParallelPixels ? threads_ : 1;
    // Chroma renders at half the output resolution: one chroma grid pixel per two output pixels.
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    TFifGrid grids[3];
    // Colour planes render side by side; a grey picture's one plane shares out its passes.
    const int planeThreads = picture_->planeCount == 1 ? threads : 1;
    ParallelFor(static_cast<std::size_t>(picture_->planeCount), threads, [&](std::size_t i) {
      const TFifPlane& plane = picture_->planes[i];
      grids[i] = i == 0 ? RenderPlane(plane, header_.luma, width, height, sx, sy, planeThreads)
                        : RenderPlane(plane, header_.chroma, cw, ch, sx, sy);
    });
    const int bands = (height + kRowsPerBand - 1) / kRowsPerBand;
    ParallelFor(static_cast<std::size_t>(bands), threads, [&](std::size_t band) {
      const int begin = static_cast<int>(band) * kRowsPerBand;
      const int end = std::min(height, begin + kRowsPerBand);
      if (picture_->planeCount == 1) WriteGreyRows(grids[0], firstRow, stride, begin, end);
      else WriteColourRows(grids[0], grids[1], grids[2], firstRow, stride, begin, end);
      if (picture_->keyMask) ApplyKeyMask(*picture_->keyMask, *header_.key, width, height, firstRow, stride, begin, end);
    });
  } catch (const std::bad_alloc&) {
    throw EFifError(fsOutOfMemory);
  }
}

TDib TFifDecoder::Render(int width, int height) const {
  if (width < 1 || height < 1 || width > kFifMaxOutputSide || height > kFifMaxOutputSide ||
      std::int64_t{width} * height > kFifMaxOutputPixels)
    throw EFifError(fsBadOutputSize);
  try {
    TDib dib(width, height);
    RenderBgr(width, height, dib.Pixels(), dib.Stride());
    return dib;
  } catch (const std::bad_alloc&) {
    throw EFifError(fsOutOfMemory);
  }
}

}  // namespace qrl
