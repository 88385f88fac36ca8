#include "fif/FifColour.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define QRL_FIF_SSSE3 1
#endif

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

// Blue-green-red bytes of n pixels straight from Y, Cb - 128 and Cr - 128. Four pixels at a time
// where the processor has SSE2: truncation of v + 0.5 and the saturating packs round and clamp
// exactly as ToByte does, and the twelve bytes go out as two overlapping eight-byte stores (the
// two bytes past them are rewritten by the pixels that follow, so a group is only taken while at
// least one pixel follows it). The rest through the plain loops.
int PackBgrFast(const float* y, const float* u, const float* v, std::uint8_t* out, int n) {
  int x = 0;
#if defined(__SSE2__)
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128 kBu = _mm_set1_ps(1.772f);
  const __m128 kGu = _mm_set1_ps(0.344136f);
  const __m128 kGv = _mm_set1_ps(0.714136f);
  const __m128 kRv = _mm_set1_ps(1.402f);
  const __m128i low = _mm_set1_epi64x(0x0000000000FFFFFFLL);
  const __m128i high = _mm_set1_epi64x(0x0000FFFFFF000000LL);
  const __m128i zero = _mm_setzero_si128();
  for (; x + 5 <= n; x += 4, out += 12) {
    const __m128 yy = _mm_loadu_ps(y + x);
    const __m128 uu = _mm_loadu_ps(u + x);
    const __m128 vv = _mm_loadu_ps(v + x);
    const __m128i b = _mm_cvttps_epi32(_mm_add_ps(_mm_add_ps(yy, _mm_mul_ps(kBu, uu)), half));
    const __m128i g =
        _mm_cvttps_epi32(_mm_add_ps(_mm_sub_ps(_mm_sub_ps(yy, _mm_mul_ps(kGu, uu)), _mm_mul_ps(kGv, vv)), half));
    const __m128i r = _mm_cvttps_epi32(_mm_add_ps(_mm_add_ps(yy, _mm_mul_ps(kRv, vv)), half));
    // Bytes b0..b3 r0..r3 g0..g3 0000, then b g r 0 per pixel.
    const __m128i planes = _mm_packus_epi16(_mm_packs_epi32(b, r), _mm_packs_epi32(g, zero));
    const __m128i pairs = _mm_unpacklo_epi8(planes, _mm_srli_si128(planes, 8));
    const __m128i pixels = _mm_unpacklo_epi16(pairs, _mm_srli_si128(pairs, 8));
    // Each 64-bit half: two pixels of three bytes in its low six bytes.
    const __m128i packed = _mm_or_si128(_mm_and_si128(pixels, low), _mm_and_si128(_mm_srli_epi64(pixels, 8), high));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_srli_si128(packed, 8));
  }
#endif
  return x;
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
  int i = 0;
#if defined(__SSE2__)
  // Four chroma pixels at a time, the even and odd outputs interleaved by unpacking.
  const __m128 threeQuarters = _mm_set1_ps(0.75f);
  const __m128 quarter = _mm_set1_ps(0.25f);
  for (; i + 4 <= chromaWidth; i += 4) {
    const __m128 centre = _mm_mul_ps(threeQuarters, _mm_loadu_ps(padded + i + 1));
    const __m128 even = _mm_add_ps(centre, _mm_mul_ps(quarter, _mm_loadu_ps(padded + i)));
    const __m128 odd = _mm_add_ps(centre, _mm_mul_ps(quarter, _mm_loadu_ps(padded + i + 2)));
    _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(even, odd));
    _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(even, odd));
  }
#endif
  for (; i < chromaWidth; ++i) {
    const float centre = 0.75f * padded[i + 1];
    out[2 * i] = centre + 0.25f * padded[i];
    out[2 * i + 1] = centre + 0.25f * padded[i + 2];
  }
}

#if defined(QRL_FIF_SSSE3)
// Widen and PackBgrFast in one for processors with SSSE3, chosen at run time: eight pixels (four
// chroma pixels) at a time, the blends kept in registers and each four pixels' bytes put in
// order by one shuffle. The float operations are Widen's and PackBgrFast's, in the same order
// and without contraction (this target has no fused multiply-add), so the bytes are the same.
#define QRL_SSSE3 __attribute__((target("ssse3")))

// Widen of four chroma pixels: the eight blends of output pixels 2i .. 2i + 7.
QRL_SSSE3 inline void WidenFour(const float* padded, __m128& low, __m128& high) {
  const __m128 centre = _mm_mul_ps(_mm_set1_ps(0.75f), _mm_loadu_ps(padded + 1));
  const __m128 even = _mm_add_ps(centre, _mm_mul_ps(_mm_set1_ps(0.25f), _mm_loadu_ps(padded)));
  const __m128 odd = _mm_add_ps(centre, _mm_mul_ps(_mm_set1_ps(0.25f), _mm_loadu_ps(padded + 2)));
  low = _mm_unpacklo_ps(even, odd);
  high = _mm_unpackhi_ps(even, odd);
}

// Four pixels' twelve bytes, exactly.
QRL_SSSE3 inline void PackFour(__m128 yy, __m128 uu, __m128 vv, std::uint8_t* out) {
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128i b = _mm_cvttps_epi32(_mm_add_ps(_mm_add_ps(yy, _mm_mul_ps(_mm_set1_ps(1.772f), uu)), half));
  const __m128 green =
      _mm_sub_ps(_mm_sub_ps(yy, _mm_mul_ps(_mm_set1_ps(0.344136f), uu)), _mm_mul_ps(_mm_set1_ps(0.714136f), vv));
  const __m128i g = _mm_cvttps_epi32(_mm_add_ps(green, half));
  const __m128i r = _mm_cvttps_epi32(_mm_add_ps(_mm_add_ps(yy, _mm_mul_ps(_mm_set1_ps(1.402f), vv)), half));
  // Bytes b0..b3 r0..r3 g0..g3, then b g r per pixel.
  const __m128i planes = _mm_packus_epi16(_mm_packs_epi32(b, r), _mm_packs_epi32(g, _mm_setzero_si128()));
  const __m128i pixels = _mm_shuffle_epi8(planes, _mm_setr_epi8(0, 8, 4, 1, 9, 5, 2, 10, 6, 3, 11, 7, -1, -1, -1, -1));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), pixels);
  const std::int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(pixels, 8));
  std::memcpy(out + 8, &last, sizeof last);
}

// Returns the pixels done, a multiple of eight.
QRL_SSSE3 int PackWidenedBgrSsse3(const float* y, const float* paddedCb, const float* paddedCr, std::uint8_t* out,
                                  int n) {
  int x = 0;
  for (; x + 8 <= n; x += 8, out += 24) {
    __m128 u0, u1, v0, v1;
    WidenFour(paddedCb + x / 2, u0, u1);
    WidenFour(paddedCr + x / 2, v0, v1);
    PackFour(_mm_loadu_ps(y + x), u0, v0, out);
    PackFour(_mm_loadu_ps(y + x + 4), u1, v1, out + 12);
  }
  return x;
}

// The same for processors with AVX2, sixteen pixels at a time: each 128-bit lane packs four
// pixels as PackFour does. The target has no fused multiply-add either.
#define QRL_AVX2 __attribute__((target("avx2")))

QRL_AVX2 inline void PackEight(__m256 yy, __m256 uu, __m256 vv, std::uint8_t* out) {
  const __m256 half = _mm256_set1_ps(0.5f);
  const __m256i b =
      _mm256_cvttps_epi32(_mm256_add_ps(_mm256_add_ps(yy, _mm256_mul_ps(_mm256_set1_ps(1.772f), uu)), half));
  const __m256i g = _mm256_cvttps_epi32(_mm256_add_ps(
      _mm256_sub_ps(_mm256_sub_ps(yy, _mm256_mul_ps(_mm256_set1_ps(0.344136f), uu)),
                    _mm256_mul_ps(_mm256_set1_ps(0.714136f), vv)),
      half));
  const __m256i r =
      _mm256_cvttps_epi32(_mm256_add_ps(_mm256_add_ps(yy, _mm256_mul_ps(_mm256_set1_ps(1.402f), vv)), half));
  const __m256i planes =
      _mm256_packus_epi16(_mm256_packs_epi32(b, r), _mm256_packs_epi32(g, _mm256_setzero_si256()));
  const __m256i order = _mm256_setr_epi8(0, 8, 4, 1, 9, 5, 2, 10, 6, 3, 11, 7, -1, -1, -1, -1, 0, 8, 4, 1, 9, 5, 2,
                                         10, 6, 3, 11, 7, -1, -1, -1, -1);
  const __m256i pixels = _mm256_shuffle_epi8(planes, order);
  for (int lane = 0; lane < 2; ++lane) {
    const __m128i four = lane == 0 ? _mm256_castsi256_si128(pixels) : _mm256_extracti128_si256(pixels, 1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 12 * lane), four);
    const std::int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(four, 8));
    std::memcpy(out + 12 * lane + 8, &last, sizeof last);
  }
}

// Returns the pixels done, a multiple of sixteen.
QRL_AVX2 int PackWidenedBgrAvx2(const float* y, const float* paddedCb, const float* paddedCr, std::uint8_t* out,
                                int n) {
  const __m256 threeQuarters = _mm256_set1_ps(0.75f);
  const __m256 quarter = _mm256_set1_ps(0.25f);
  // Widen of eight chroma pixels, as WidenFour's twice: low and high hold output pixels 0..7 and
  // 8..15 once the lanes are regrouped.
  const auto widen = [&](const float* padded, __m256& low, __m256& high) QRL_AVX2 {
    const __m256 centre = _mm256_mul_ps(threeQuarters, _mm256_loadu_ps(padded + 1));
    const __m256 even = _mm256_add_ps(centre, _mm256_mul_ps(quarter, _mm256_loadu_ps(padded)));
    const __m256 odd = _mm256_add_ps(centre, _mm256_mul_ps(quarter, _mm256_loadu_ps(padded + 2)));
    const __m256 first = _mm256_unpacklo_ps(even, odd);
    const __m256 second = _mm256_unpackhi_ps(even, odd);
    low = _mm256_permute2f128_ps(first, second, 0x20);
    high = _mm256_permute2f128_ps(first, second, 0x31);
  };
  int x = 0;
  for (; x + 16 <= n; x += 16, out += 48) {
    __m256 u0, u1, v0, v1;
    widen(paddedCb + x / 2, u0, u1);
    widen(paddedCr + x / 2, v0, v1);
    PackEight(_mm256_loadu_ps(y + x), u0, v0, out);
    PackEight(_mm256_loadu_ps(y + x + 8), u1, v1, out + 24);
  }
  return x;
}

// Grey pixels for processors with SSSE3, sixteen at a time: ToByte's max and min as the same
// instructions (equal for every input, NaN included), truncation, saturating packs, and three
// shuffles that repeat each byte three times into exactly 48 bytes. Returns the pixels done.
QRL_SSSE3 int PackGreySsse3(const float* in, std::uint8_t* out, int n) {
  const auto bytes = [](const float* v) QRL_SSSE3 {
    const __m128 rounded = _mm_add_ps(_mm_loadu_ps(v), _mm_set1_ps(0.5f));
    return _mm_cvttps_epi32(_mm_min_ps(_mm_set1_ps(255.0f), _mm_max_ps(_mm_setzero_ps(), rounded)));
  };
  int x = 0;
  for (; x + 16 <= n; x += 16, out += 48) {
    const __m128i grey = _mm_packus_epi16(_mm_packs_epi32(bytes(in + x), bytes(in + x + 4)),
                                          _mm_packs_epi32(bytes(in + x + 8), bytes(in + x + 12)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_shuffle_epi8(grey, _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16),
                     _mm_shuffle_epi8(grey, _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10)));
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(out + 32),
        _mm_shuffle_epi8(grey, _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15)));
  }
  return x;
}

bool Has(TFifInstructions set) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return set == TFifInstructions::kSse2 || (set == TFifInstructions::kSsse3 ? ssse3 : avx2);
}
#endif

}  // namespace

void WriteGreyRows(const TFifGrid& luma, std::uint8_t* firstRow, std::ptrdiff_t stride, int rowBegin, int rowEnd,
                   TFifInstructions best) {
  const int width = luma.width;
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(width));
  for (int y = rowBegin; y < rowEnd; ++y) {
    const float* row = &luma.pixels[static_cast<std::size_t>(y) * width];
    std::uint8_t* out = firstRow + (luma.height - 1 - y) * stride;
    int done = 0;
#if defined(QRL_FIF_SSSE3)
    if (best >= TFifInstructions::kSsse3 && Has(TFifInstructions::kSsse3)) done = PackGreySsse3(row, out, width);
#endif
    PackGrey(row + done, grey.data(), width - done);
    Interleave(grey.data(), grey.data(), grey.data(), out + 3 * done, width - done);
  }
}

void WriteColourRows(const TFifGrid& luma, const TFifGrid& cb, const TFifGrid& cr, std::uint8_t* firstRow,
                     std::ptrdiff_t stride, int rowBegin, int rowEnd, TFifInstructions best) {
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
    const float* lumaRow = &luma.pixels[static_cast<std::size_t>(y) * width];
    std::uint8_t* out = firstRow + (luma.height - 1 - y) * stride;
    int done = 0;
#if defined(QRL_FIF_SSSE3)
    if (best >= TFifInstructions::kAvx2 && Has(TFifInstructions::kAvx2))
      done = PackWidenedBgrAvx2(lumaRow, cbRow.data(), crRow.data(), out, width);
    if (best >= TFifInstructions::kSsse3 && Has(TFifInstructions::kSsse3))
      done += PackWidenedBgrSsse3(lumaRow + done, cbRow.data() + done / 2, crRow.data() + done / 2, out + 3 * done,
                                  width - done);
#endif
    // The rest: done is even, so chroma pixel done / 2 starts it.
    Widen(cbRow.data() + done / 2, cb.width - done / 2, u.data() + done);
    Widen(crRow.data() + done / 2, cr.width - done / 2, v.data() + done);
    done += PackBgrFast(lumaRow + done, u.data() + done, v.data() + done, out + 3 * done, width - done);
    PackColour(lumaRow + done, u.data() + done, v.data() + done, blue, green, red, width - done);
    Interleave(blue, green, red, out + 3 * done, width - done);
  }
}

}  // namespace qrl
