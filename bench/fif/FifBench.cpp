// Measures the FIF codec against libjpeg-turbo and libwebp in one run and prints the tables:
// size, PSNR and decoding time side by side at three rates (FIF on one thread and on all cores,
// and the single-threaded time split into parsing and rendering), a 2x zoom (FIF of the
// half-size picture rendered at full size, against JPEG and WebP of the half-size picture at
// equal bytes with bicubic upscaling), keyed edges (pixels whose key membership, as the player
// judges it, differs from the source's) and encoding time per megapixel. Times are minima over
// repeats: processor time of the calling thread for single-threaded figures, wall time for the
// threaded ones.
//
// Usage: fif_bench [PHOTO_DIR]   (default: the photographs beside the FIF tests)

#include <cstdio>
#include <ctime>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "PeerCodecs.h"
#include "elements/ColourTable.h"
#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifPhotos.h"

namespace {

using namespace qrl;
using bench::TPeer;

constexpr const char* kNames[] = {"astronaut.png", "coffee.png", "chelsea.png", "brick.png", "camera.png"};
constexpr int kQualities[] = {50, 75, 90};
constexpr int kRepeats = 9;

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double MinSeconds(const std::function<void()>& run, int repeats, bool wall = false) {
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const double start = wall ? WallSeconds() : ThreadSeconds();
    run();
    best = std::min(best, (wall ? WallSeconds() : ThreadSeconds()) - start);
  }
  return best;
}

double Bpp(std::size_t bytes, const TDib& dib) { return 8.0 * bytes / (static_cast<double>(dib.Width()) * dib.Height()); }

TFifEncodeOptions Options(int quality, int threads) {
  TFifEncodeOptions options = TFifEncodeOptions::WithQuality(quality);
  options.threads = threads;
  return options;
}

// The photograph cut to a blob with a wavy outline on a magenta ground: a picture meant for keying.
constexpr TColor kKey = 0xFF00FF;
constexpr TFifKeyColour kKeyColour{255, 0, 255};

TDib KeyedPhoto(const TDib& photo) {
  TDib picture = photo;
  const int w = picture.Width();
  const int h = picture.Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double dx = (x - 0.5 * w) / (0.42 * w);
      const double dy = (y - 0.5 * h) / (0.42 * h);
      if (std::hypot(dx, dy) > 1.0 + 0.12 * std::sin(9.0 * std::atan2(dy, dx))) {
        std::uint8_t* p = picture.ScanLine(y) + 3 * x;
        p[0] = 255, p[1] = 0, p[2] = 255;
      }
    }
  return picture;
}

// Pixels the player keys out of the decoded picture but not out of the source (sampled at the
// output's pixel centres), or the other way round.
int MembershipErrors(const TDib& source, const TDib& decoded) {
  const TDib want = MakeKeyedCopy(source, kKey, 40);
  const TDib got = MakeKeyedCopy(decoded, kKey, 40);
  const auto isKey = [](const std::uint8_t* p) { return p[0] == 255 && p[1] == 0 && p[2] == 255; };
  int errors = 0;
  for (int y = 0; y < got.Height(); ++y) {
    const std::uint8_t* wantRow = want.ScanLine((2 * y + 1) * want.Height() / (2 * got.Height()));
    for (int x = 0; x < got.Width(); ++x)
      errors += isKey(got.ScanLine(y) + 3 * x) != isKey(wantRow + 3 * ((2 * x + 1) * want.Width() / (2 * got.Width())));
  }
  return errors;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : QRL_FIF_PHOTOS;
  std::vector<TDib> photos;
  for (const char* name : kNames) {
    photos.push_back(qrl::test::LoadPicture(dir + "/" + name));
    if (photos.back().Empty()) {
      std::printf("%s: cannot read\n", name);
      return 1;
    }
  }

  std::printf("Rates: size and PSNR (over R, G, B) at equal size; decoding at the picture's own size\n");
  std::printf("%-14s %3s %6s | %6s %6s %6s | %7s %7s %7s %7s | %6s | %6s %6s %6s\n", "picture", "q", "bpp", "FIF dB",
              "JPEG", "WebP", "FIF ms", "JPEG ms", "WebP ms", "FIF MT", "FIF/JP", "parse", "render", "rnd/JP");
  double worstDecode = 0.0;
  double worstRender = 0.0;
  double jpegDiff = 0.0;
  double webpDiff = 0.0;
  int points = 0;
  for (std::size_t n = 0; n < photos.size(); ++n) {
    const TDib& photo = photos[n];
    for (int q : kQualities) {
      const std::vector<std::uint8_t> fif = EncodeFif(photo, Options(q, 0));
      TDib out = qrl::test::NewDib(photo.Width(), photo.Height());
      const double fifDb = qrl::test::Psnr(photo, TFifDecoder(fif).Render());
      const std::vector<std::uint8_t> jpeg = bench::PeerAtSize(TPeer::Jpeg, photo, fif.size());
      const std::vector<std::uint8_t> webp = bench::PeerAtSize(TPeer::WebP, photo, fif.size());
      const double jpegDb = qrl::test::Psnr(photo, bench::PeerDecode(TPeer::Jpeg, jpeg));
      const double webpDb = qrl::test::Psnr(photo, bench::PeerDecode(TPeer::WebP, webp));
      const auto decodeFif = [&](int threads) {
        const TFifDecoder d(fif, threads);
        d.RenderBgr(photo.Width(), photo.Height(), out.Pixels(), out.Stride());
      };
      const double fifTime = MinSeconds([&] { decodeFif(1); }, kRepeats);
      const double fifThreaded = MinSeconds([&] { decodeFif(0); }, kRepeats, true);
      // The two halves of a single-threaded decode: reading the stream, then rendering the parsed
      // picture (what re-rendering at another size costs).
      const double parseTime = MinSeconds([&] { TFifDecoder(fif, 1); }, kRepeats);
      const TFifDecoder parsed(fif, 1);
      const double renderTime =
          MinSeconds([&] { parsed.RenderBgr(photo.Width(), photo.Height(), out.Pixels(), out.Stride()); }, kRepeats);
      const double jpegTime = MinSeconds([&] { bench::PeerDecode(TPeer::Jpeg, jpeg); }, kRepeats);
      const double webpTime = MinSeconds([&] { bench::PeerDecode(TPeer::WebP, webp); }, kRepeats);
      std::printf("%-14s %3d %6.3f | %6.2f %6.2f %6.2f | %7.2f %7.2f %7.2f %7.2f | %6.2f | %6.2f %6.2f %6.2f\n",
                  kNames[n], q, Bpp(fif.size(), photo), fifDb, jpegDb, webpDb, fifTime * 1e3, jpegTime * 1e3,
                  webpTime * 1e3, fifThreaded * 1e3, fifTime / jpegTime, parseTime * 1e3, renderTime * 1e3,
                  renderTime / jpegTime);
      worstDecode = std::max(worstDecode, fifTime / jpegTime);
      worstRender = std::max(worstRender, renderTime / jpegTime);
      jpegDiff += fifDb - jpegDb;
      webpDiff += fifDb - webpDb;
      ++points;
    }
  }
  std::printf("mean FIF - JPEG %+.2f dB, FIF - WebP %+.2f dB over %d points\n\n", jpegDiff / points, webpDiff / points,
              points);

  std::printf("2x zoom: half-size picture coded, shown at full size (PSNR against the full picture)\n");
  std::printf("%-14s %7s %9s %11s %11s %7s\n", "picture", "bytes", "FIF dB", "JPEG+cubic", "WebP+cubic", "vs JPEG");
  double worstZoom = 1e9;
  for (std::size_t n = 0; n < photos.size(); ++n) {
    const TDib photo = qrl::test::Crop(photos[n], 0, 0, photos[n].Width() & ~1, photos[n].Height() & ~1);
    const TDib half = qrl::test::Halve(photo);
    const std::vector<std::uint8_t> fif = EncodeFif(half);
    const double fifDb = qrl::test::Psnr(photo, TFifDecoder(fif).Render(photo.Width(), photo.Height()));
    double peerDb[2];
    for (TPeer peer : {TPeer::Jpeg, TPeer::WebP}) {
      const TDib decoded = bench::PeerDecode(peer, bench::PeerAtSize(peer, half, fif.size()));
      peerDb[peer == TPeer::Jpeg ? 0 : 1] = qrl::test::Psnr(photo, bench::Bicubic(decoded, photo.Width(), photo.Height()));
    }
    std::printf("%-14s %7zu %9.2f %11.2f %11.2f %+7.2f\n", kNames[n], fif.size(), fifDb, peerDb[0], peerDb[1],
                fifDb - peerDb[0]);
    worstZoom = std::min(worstZoom, fifDb - peerDb[0]);
  }

  std::printf("\nKeyed edges: pixels whose key membership differs from the source's (key #FF00FF, tolerance 40)\n");
  std::printf("%-14s %10s %10s %10s %10s\n", "picture", "plain 1x", "plain 2x", "keyed 1x", "keyed 2x");
  int keyedErrors = 0;
  for (std::size_t n = 0; n < photos.size(); ++n) {
    const TDib source = KeyedPhoto(photos[n]);
    TFifEncodeOptions keyed;
    keyed.key = kKeyColour;
    const TFifDecoder plain(EncodeFif(source));
    const TFifDecoder coded(EncodeFif(source, keyed));
    const int w = source.Width();
    const int h = source.Height();
    const int counts[4] = {MembershipErrors(source, plain.Render()), MembershipErrors(source, plain.Render(2 * w, 2 * h)),
                           MembershipErrors(source, coded.Render()), MembershipErrors(source, coded.Render(2 * w, 2 * h))};
    std::printf("%-14s %10d %10d %10d %10d\n", kNames[n], counts[0], counts[1], counts[2], counts[3]);
    keyedErrors += counts[2] + counts[3];
  }

  std::printf("\nEncoding at the default quality, seconds per megapixel\n");
  std::printf("%-14s %10s %10s\n", "picture", "one core", "all cores");
  double worstEncode = 0.0;
  for (std::size_t n = 0; n < photos.size(); ++n) {
    const TDib& photo = photos[n];
    const double megapixels = photo.Width() * static_cast<double>(photo.Height()) / 1e6;
    const double one = MinSeconds([&] { EncodeFif(photo, Options(kFifDefaultQuality, 1)); }, 3) / megapixels;
    const double all = MinSeconds([&] { EncodeFif(photo, Options(kFifDefaultQuality, 0)); }, 3, true) / megapixels;
    std::printf("%-14s %10.3f %10.3f\n", kNames[n], one, all);
    worstEncode = std::max(worstEncode, one);
  }

  std::printf("\nSummary: single-threaded decoding at most %.2fx libjpeg-turbo (rendering alone at most %.2fx); "
              "2x zoom at least %+.2f dB against JPEG + bicubic; %d keyed-edge pixels wrong; encoding at most %.3f "
              "s/MP on one core\n",
              worstDecode, worstRender, worstZoom, keyedErrors, worstEncode);
  return 0;
}
