#include "fif/FifColour.h"

#include <algorithm>
#include <vector>

namespace qrl {

namespace {

// Rounded and clamped to 0..255 with min and max, so that the loops around it vectorise.
inline std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(static_cast<int>(std::min(std::max(v + 0.5f, 0.0f), 255.0f))); }

// Planar byte rows first, with restrict so the compiler may vectorise the arithmetic, then one
// plain interleaving pass.
void PackGrey(const float* __restrict in, std::uint8_t* __restrict grey, int n) {
  for (int x = 0; x < n; ++x) grey[x] = ToByte(in[x]);
}

void PackColour(const float* __restrict y, const float* __restrict u, const float* __restrict v,
                std::uint8_t* __restrict blue, std::uint8_t* __restrict green, std::uint8_t* __restrict red, int n) {
  for (int x = 0; x < n; ++x) {
    blue[x] = ToByte(y[x] + 1.772f * u[x]);
    green[x] = ToByte(y[x] - 0.344136f * u[x] - 0.714136f * v[x]);
    red[x] = ToByte(y[x] + 1.402f * v[x]);
  }
}

void Interleave(const std::uint8_t* blue, const std::uint8_t* green, const std::uint8_t* red, std::uint8_t* out,
                int n) {
  for (int x = 0; x < n; ++x, out += 3) {
    out[0] = blue[x];
    out[1] = green[x];
    out[2] = red[x];
  }
}

// Chroma row j of the output grid, centred on 128: 3:1 blends of chroma rows k and k -/+ 1 (the
// edge rows repeated), held with one repeated value at either end for the horizontal blend.
void ChromaRow(const TFifGrid& c, int y, float* padded) {
  const int k = y / 2;
  const int other = std::clamp(y % 2 == 0 ? k - 1 : k + 1, 0, c.height - 1);
  const float* near = &c.pixels[static_cast<std::size_t>(k) * c.width];
  const float* far = &c.pixels[static_cast<std::size_t>(other) * c.width];
  for (int i = 0; i < c.width; ++i) padded[i + 1] = 0.75f * near[i] + 0.25f * far[i] - 128.0f;
  padded[0] = padded[1];
  padded[c.width + 1] = padded[c.width];
}

// The horizontal 3:1 blend: output pixels 2i and 2i + 1 lean on chroma pixel i and its left or
// right neighbour.
void Widen(const float* padded, int chromaWidth, float* out) {
  for (int i = 0; i < chromaWidth; ++i) {
    const float centre = 0.75f * padded[i + 1];
    out[2 * i] = centre + 0.25f * padded[i];
    out[2 * i + 1] = centre + 0.25f * padded[i + 2];
  }
}

}  // namespace

void WriteGreyRows(const TFifGrid& luma, std::uint8_t* firstRow, std::ptrdiff_t stride, int rowBegin, int rowEnd) {
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(luma.width));
  for (int y = rowBegin; y < rowEnd; ++y) {
    PackGrey(&luma.pixels[static_cast<std::size_t>(y) * luma.width], grey.data(), luma.width);
    Interleave(grey.data(), grey.data(), grey.data(), firstRow + (luma.height - 1 - y) * stride, luma.width);
  }
}

void WriteColourRows(const TFifGrid& luma, const TFifGrid& cb, const TFifGrid& cr, std::uint8_t* firstRow,
                     std::ptrdiff_t stride, int rowBegin, int rowEnd) {
  const int width = luma.width;
  const auto chromaWidth = static_cast<std::size_t>(cb.width);
  std::vector<float> cbRow(chromaWidth + 2);
  std::vector<float> crRow(chromaWidth + 2);
  std::vector<float> u(2 * chromaWidth);
  std::vector<float> v(2 * chromaWidth);
  std::vector<std::uint8_t> channels(3 * static_cast<std::size_t>(width));
  std::uint8_t* const blue = channels.data();
  std::uint8_t* const green = blue + width;
  std::uint8_t* const red = green + width;
  for (int y = rowBegin; y < rowEnd; ++y) {
    ChromaRow(cb, y, cbRow.data());
    ChromaRow(cr, y, crRow.data());
    Widen(cbRow.data(), cb.width, u.data());
    Widen(crRow.data(), cr.width, v.data());
    PackColour(&luma.pixels[static_cast<std::size_t>(y) * width], u.data(), v.data(), blue, green, red, width);
    Interleave(blue, green, red, firstRow + (luma.height - 1 - y) * stride, width);
  }
}

}  // namespace qrl
