#include "fif/FifDecoder.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "fif/FifRender.h"
#include "fif/FifStatus.h"
#include "fif/FifSymbols.h"

namespace qrl {

struct TFifPicture {
  TFifPlane planes[3];
  int planeCount = 0;
};

namespace {

std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); }

// Where output pixel x finds its chroma: the chroma grid has one pixel per two output pixels.
struct TChromaTap {
  int a, b;
  float w;
};

std::vector<TChromaTap> ChromaTaps(int outputSize, int chromaSize) {
  std::vector<TChromaTap> taps(static_cast<std::size_t>(outputSize));
  for (int x = 0; x < outputSize; ++x) {
    const float pos = std::clamp((x + 0.5f) * 0.5f - 0.5f, 0.0f, static_cast<float>(chromaSize - 1));
    const int a = std::min(static_cast<int>(pos), chromaSize - 1);
    taps[x] = {a, std::min(a + 1, chromaSize - 1), pos - static_cast<float>(a)};
  }
  return taps;
}

}  // namespace

TFifDecoder::TFifDecoder(std::span<const std::uint8_t> data) {
  try {
    const std::size_t headerSize = ReadFifHeader(data, header_);
    if (data.size() < headerSize + 4) throw EFifError(fsDamaged, "no picture data");
    if (!FifChecksumMatches(data)) throw EFifError(fsDamaged, "checksum mismatch");
    picture_ = std::make_unique<TFifPicture>();
    const std::size_t payloadSize = data.size() - headerSize - 4;
    TSymbolReader reader(data.subspan(headerSize, payloadSize));
    std::size_t blocksLeft = MaxFifBlocks(payloadSize);
    // Luma has its own probabilities; the two chroma planes share theirs.
    std::vector<TFifPlaneContexts> contexts(2);
    picture_->planeCount = header_.grey ? 1 : 3;
    for (int i = 0; i < picture_->planeCount; ++i) {
      TFifPlane& plane = picture_->planes[i];
      plane.width = i == 0 ? header_.width : (header_.width + 1) / 2;
      plane.height = i == 0 ? header_.height : (header_.height + 1) / 2;
      CodePlane(reader, contexts[i == 0 ? 0 : 1], i == 0 ? header_.luma : header_.chroma, plane, blocksLeft);
      blocksLeft -= plane.blocks.size();
    }
    reader.CheckInput();
  } catch (const std::bad_alloc&) {
    throw EFifError(fsOutOfMemory);
  }
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
    const TFifGrid luma = RenderPlane(picture_->planes[0], header_.luma, width, height, sx, sy);
    if (picture_->planeCount == 1) {
      for (int y = 0; y < height; ++y) {
        std::uint8_t* out = firstRow + (height - 1 - y) * stride;
        const float* in = &luma.pixels[static_cast<std::size_t>(y) * width];
        for (int x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = ToByte(in[x]);
      }
      return;
    }
    const TFifPlane& cbPlane = picture_->planes[1];
    // Chroma renders at half the output resolution: one chroma grid pixel per two output pixels.
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    const TFifGrid cb = RenderPlane(cbPlane, header_.chroma, cw, ch, sx, sy);
    const TFifGrid cr = RenderPlane(picture_->planes[2], header_.chroma, cw, ch, sx, sy);
    const std::vector<TChromaTap> tx = ChromaTaps(width, cw);
    const std::vector<TChromaTap> ty = ChromaTaps(height, ch);
    // Per row: chroma interpolated down the column, then along the row, then the three channels
    // in separate rows so that each loop is a plain vectorisable one; only the final byte
    // interleave is scalar.
    std::vector<float> cbRow(static_cast<std::size_t>(cw));
    std::vector<float> crRow(static_cast<std::size_t>(cw));
    std::vector<float> u(static_cast<std::size_t>(width));
    std::vector<float> v(static_cast<std::size_t>(width));
    std::vector<std::uint8_t> channels(static_cast<std::size_t>(3) * width);
    std::uint8_t* const blue = channels.data();
    std::uint8_t* const green = blue + width;
    std::uint8_t* const red = green + width;
    for (int y = 0; y < height; ++y) {
      const TChromaTap& t = ty[y];
      const float* cbA = &cb.pixels[static_cast<std::size_t>(t.a) * cw];
      const float* cbB = &cb.pixels[static_cast<std::size_t>(t.b) * cw];
      const float* crA = &cr.pixels[static_cast<std::size_t>(t.a) * cw];
      const float* crB = &cr.pixels[static_cast<std::size_t>(t.b) * cw];
      for (int i = 0; i < cw; ++i) {
        cbRow[i] = cbA[i] + t.w * (cbB[i] - cbA[i]) - 128.0f;
        crRow[i] = crA[i] + t.w * (crB[i] - crA[i]) - 128.0f;
      }
      for (int x = 0; x < width; ++x) {
        const TChromaTap& s = tx[x];
        u[x] = cbRow[s.a] + s.w * (cbRow[s.b] - cbRow[s.a]);
        v[x] = crRow[s.a] + s.w * (crRow[s.b] - crRow[s.a]);
      }
      const float* in = &luma.pixels[static_cast<std::size_t>(y) * width];
      for (int x = 0; x < width; ++x) {
        blue[x] = ToByte(in[x] + 1.772f * u[x]);
        green[x] = ToByte(in[x] - 0.344136f * u[x] - 0.714136f * v[x]);
        red[x] = ToByte(in[x] + 1.402f * v[x]);
      }
      std::uint8_t* out = firstRow + (height - 1 - y) * stride;
      for (int x = 0; x < width; ++x, out += 3) {
        out[0] = blue[x];
        out[1] = green[x];
        out[2] = red[x];
      }
    }
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
