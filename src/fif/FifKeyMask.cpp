#include "fif/FifKeyMask.h"

#include <algorithm>
#include <cstdlib>

#include "fif/FifStatus.h"

namespace qrl {

namespace {

[[noreturn]] void Damaged(const char* what) { throw EFifError(fsDamaged, what); }

// Largest channel difference, the distance the player keys by.
int Distance(const std::uint8_t* bgr, const std::uint8_t* other) {
  return std::max({std::abs(bgr[0] - other[0]), std::abs(bgr[1] - other[1]), std::abs(bgr[2] - other[2])});
}

// Plane rows of magnitudes up to the widest picture.
constexpr int kMaxClass = 15;

// Rings of pixels the key region's fill reaches into it: beyond the reach of chroma halving
// and of the smallest domains, after which the key colour may stay.
constexpr int kFillRings = 8;

}  // namespace

void TFifKeyMask::ExpandRow(int y, std::uint8_t* out) const {
  std::uint8_t keyed = startsKeyed[static_cast<std::size_t>(y)];
  int x = 0;
  for (std::size_t i = rowStart[static_cast<std::size_t>(y)]; i < rowStart[static_cast<std::size_t>(y) + 1]; ++i) {
    std::fill(out + x, out + flips[i], keyed);
    x = flips[i];
    keyed ^= 1;
  }
  std::fill(out + x, out + width, keyed);
}

TFifKeyMask FindKeyRegion(const TDib& picture, TFifKeyColour key) {
  TFifKeyMask mask;
  mask.width = picture.Width();
  mask.height = picture.Height();
  const std::uint8_t keyBgr[3] = {key.blue, key.green, key.red};
  std::vector<std::uint8_t> keyed(static_cast<std::size_t>(mask.width) * mask.height);
  std::uint8_t reference[3] = {keyBgr[0], keyBgr[1], keyBgr[2]};
  int best = -1;
  for (int y = mask.height - 1; y >= 0; --y) {
    const std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < mask.width; ++x, p += 3) {
      const int d = Distance(keyBgr, p);
      if (d > best && d <= kFifKeyTolerance) {
        best = d;
        std::copy_n(p, 3, reference);
      }
      keyed[static_cast<std::size_t>(y) * mask.width + x] =
          d <= kFifKeyTolerance || Distance(reference, p) <= kFifKeyTolerance / 2;
    }
  }
  mask.rowStart.push_back(0);
  for (int y = 0; y < mask.height; ++y) {
    const std::uint8_t* row = &keyed[static_cast<std::size_t>(y) * mask.width];
    mask.startsKeyed.push_back(row[0]);
    for (int x = 1; x < mask.width; ++x)
      if (row[x] != row[x - 1]) mask.flips.push_back(x);
    mask.rowStart.push_back(mask.flips.size());
  }
  return mask;
}

// Each row either repeats the shape of the row above (same start, as many flips, each moved a
// little: the common case along a shape's outline) or is given afresh as gaps between flips.
template <class IO>
void CodeKeyMask(IO& io, TFifKeyContexts& c, TFifKeyMask& mask, std::size_t maxFlips) {
  if constexpr (IO::kReading) {
    mask.startsKeyed.assign(static_cast<std::size_t>(mask.height), 0);
    mask.rowStart.assign(1, 0);
    mask.flips.clear();
  }
  int previousSame = 0;
  for (int y = 0; y < mask.height; ++y) {
    const auto row = static_cast<std::size_t>(y);
    const std::size_t aboveBegin = y > 0 ? mask.rowStart[row - 1] : 0;
    const std::size_t aboveCount = y > 0 ? mask.rowStart[row] - aboveBegin : 0;
    int start = 0;
    std::size_t count = 0;
    if constexpr (!IO::kReading) {
      start = mask.startsKeyed[row];
      count = mask.rowStart[row + 1] - mask.rowStart[row];
    }
    bool same = false;
    if (y > 0) {
      const bool wanted = !IO::kReading && start == mask.startsKeyed[row - 1] && count == aboveCount;
      same = io.Bit(c.sameShape[previousSame], wanted) == 1;
      previousSame = same;
    }
    if (same) {
      start = mask.startsKeyed[row - 1];
      count = aboveCount;
    } else {
      start = io.Bit(c.startsKeyed[y > 0 ? mask.startsKeyed[row - 1] : 2], start);
      const int coded = CodeSignedValue(io, c.count, static_cast<int>(count), kMaxClass);
      if (coded < 0 || coded >= mask.width) Damaged("key region row out of range");
      count = static_cast<std::size_t>(coded);
    }
    if constexpr (IO::kReading) {
      if (mask.flips.size() + count > maxFlips) Damaged("more key region edges than the data can hold");
    }
    const std::size_t begin = mask.rowStart[row];
    int previous = 0;
    for (std::size_t i = 0; i < count; ++i) {
      int value = IO::kReading ? 0 : mask.flips[begin + i];
      if (same) {
        const int above = mask.flips[aboveBegin + i];
        value = above + CodeSignedValue(io, c.shift, value - above, kMaxClass);
      } else {
        value = previous + CodeSignedValue(io, c.gap, value - previous, kMaxClass);
      }
      if (value <= previous || value >= mask.width) Damaged("key region edges out of order");
      if constexpr (IO::kReading) mask.flips.push_back(value);
      previous = value;
    }
    if constexpr (IO::kReading) {
      mask.startsKeyed[row] = static_cast<std::uint8_t>(start);
      mask.rowStart.push_back(mask.flips.size());
    }
    io.CheckInput();
  }
}

template void CodeKeyMask<TSymbolWriter>(TSymbolWriter&, TFifKeyContexts&, TFifKeyMask&, std::size_t);
template void CodeKeyMask<TSymbolReader>(TSymbolReader&, TFifKeyContexts&, TFifKeyMask&, std::size_t);

void ApplyKeyMask(const TFifKeyMask& mask, TFifKeyColour key, int width, int height, std::uint8_t* firstRow,
                  std::ptrdiff_t stride, int rowBegin, int rowEnd) {
  // Nearest sampling at pixel centres: source column floor((2X + 1) W / 2Wo).
  std::vector<int> column(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x)
    column[static_cast<std::size_t>(x)] =
        static_cast<int>((2 * std::int64_t{x} + 1) * mask.width / (2 * std::int64_t{width}));
  std::vector<std::uint8_t> keyed(static_cast<std::size_t>(mask.width));
  const std::uint8_t keyBgr[3] = {key.blue, key.green, key.red};
  int expanded = -1;
  for (int y = rowBegin; y < rowEnd; ++y) {
    const int sourceRow = static_cast<int>((2 * std::int64_t{y} + 1) * mask.height / (2 * std::int64_t{height}));
    if (sourceRow != expanded) mask.ExpandRow(expanded = sourceRow, keyed.data());
    std::uint8_t* p = firstRow + (height - 1 - y) * stride;
    for (int x = 0; x < width; ++x, p += 3) {
      if (keyed[static_cast<std::size_t>(column[static_cast<std::size_t>(x)])]) {
        std::copy_n(keyBgr, 3, p);
        continue;
      }
      if (Distance(keyBgr, p) > kFifKeyTolerance) continue;
      // Move the channel that is farthest from the key just past the tolerance, on its own side
      // where there is room.
      int channel = 0;
      for (int i = 1; i < 3; ++i)
        if (std::abs(p[i] - keyBgr[i]) > std::abs(p[channel] - keyBgr[channel])) channel = i;
      const int k = keyBgr[channel];
      const int step = kFifKeyTolerance + 1;
      const bool up = p[channel] >= k ? k + step <= 255 : k - step < 0;
      p[channel] = static_cast<std::uint8_t>(up ? k + step : k - step);
    }
  }
}

void FillKeyRegion(TDib& picture, const TFifKeyMask& mask) {
  const int w = mask.width;
  const int h = mask.height;
  std::vector<std::uint8_t> known(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    mask.ExpandRow(y, &known[static_cast<std::size_t>(y) * w]);
    for (int x = 0; x < w; ++x) known[static_cast<std::size_t>(y) * w + x] ^= 1;
  }
  std::vector<std::uint8_t> next = known;
  for (int ring = 0; ring < kFillRings; ++ring) {
    bool grew = false;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (known[static_cast<std::size_t>(y) * w + x]) continue;
        int sum[3] = {};
        int n = 0;
        const auto take = [&](int xx, int yy) {
          if (xx < 0 || yy < 0 || xx >= w || yy >= h || !known[static_cast<std::size_t>(yy) * w + xx]) return;
          const std::uint8_t* q = picture.ScanLine(yy) + 3 * xx;
          for (int i = 0; i < 3; ++i) sum[i] += q[i];
          ++n;
        };
        take(x - 1, y);
        take(x + 1, y);
        take(x, y - 1);
        take(x, y + 1);
        if (n == 0) continue;
        std::uint8_t* p = picture.ScanLine(y) + 3 * x;
        for (int i = 0; i < 3; ++i) p[i] = static_cast<std::uint8_t>((sum[i] + n / 2) / n);
        next[static_cast<std::size_t>(y) * w + x] = 1;
        grew = true;
      }
    if (!grew) break;
    known = next;
  }
}

}  // namespace qrl
