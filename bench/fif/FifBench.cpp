// Measures the FIF codec against libjpeg-turbo in one run and prints the table: PSNR at equal
// file size (0.5 to 1.5 bits per pixel), PSNR of a 2x zoom (FIF of the half-size picture rendered
// at full size, against JPEG of the half-size picture at equal bytes with bicubic upscaling),
// decoding time at equal output size, and encoding time per megapixel.
//
// Usage: fif_bench [PHOTO_DIR]   (default: the photographs beside the FIF tests)

#include <cstdio>
#include <ctime>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifPhotos.h"

namespace {

using namespace qrl;

std::vector<std::uint8_t> ToRgb(const TDib& dib) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(dib.Width()) * dib.Height() * 3);
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x)
      for (int c = 0; c < 3; ++c)
        rgb[(static_cast<std::size_t>(y) * dib.Width() + x) * 3 + c] = dib.ScanLine(y)[3 * x + 2 - c];
  return rgb;
}

std::vector<std::uint8_t> JpegEncode(const TDib& dib, int quality) {
  const std::vector<std::uint8_t> rgb = ToRgb(dib);
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(dib.Width());
  c.image_height = static_cast<JDIMENSION>(dib.Height());
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  c.optimize_coding = TRUE;
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(&rgb[static_cast<std::size_t>(c.next_scanline) * dib.Width() * 3]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  free(buffer);
  return out;
}

TDib JpegDecode(const std::vector<std::uint8_t>& bytes) {
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&d);
  TDib dib = qrl::test::NewDib(static_cast<int>(d.output_width), static_cast<int>(d.output_height));
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = dib.ScanLine(static_cast<int>(d.output_scanline));
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return dib;
}

// The JPEG quality whose file size is closest to target bytes.
std::vector<std::uint8_t> JpegAtSize(const TDib& dib, std::size_t target) {
  std::vector<std::uint8_t> best;
  int lo = 1;
  int hi = 100;
  while (lo <= hi) {
    const int q = (lo + hi) / 2;
    std::vector<std::uint8_t> j = JpegEncode(dib, q);
    const auto distance = [&](const std::vector<std::uint8_t>& v) {
      return v.size() > target ? v.size() - target : target - v.size();
    };
    if (best.empty() || distance(j) < distance(best)) best = j;
    if (j.size() < target) lo = q + 1;
    else hi = q - 1;
  }
  return best;
}

// Keys cubic (a = -0.5) upscaling with pixel centres aligned.
TDib Bicubic(const TDib& from, int width, int height) {
  const auto kernel = [](double t) {
    t = std::abs(t);
    if (t < 1) return 1.5 * t * t * t - 2.5 * t * t + 1;
    if (t < 2) return -0.5 * t * t * t + 2.5 * t * t - 4 * t + 2;
    return 0.0;
  };
  TDib out = qrl::test::NewDib(width, height);
  for (int y = 0; y < height; ++y) {
    const double sy = (y + 0.5) * from.Height() / height - 0.5;
    const int iy = static_cast<int>(std::floor(sy));
    for (int x = 0; x < width; ++x) {
      const double sx = (x + 0.5) * from.Width() / width - 0.5;
      const int ix = static_cast<int>(std::floor(sx));
      double acc[3] = {};
      for (int j = -1; j <= 2; ++j) {
        const double wy = kernel(sy - (iy + j));
        const std::uint8_t* row = from.ScanLine(std::clamp(iy + j, 0, from.Height() - 1));
        for (int i = -1; i <= 2; ++i) {
          const double w = wy * kernel(sx - (ix + i));
          const int cx = std::clamp(ix + i, 0, from.Width() - 1);
          for (int c = 0; c < 3; ++c) acc[c] += w * row[3 * cx + c];
        }
      }
      for (int c = 0; c < 3; ++c)
        out.ScanLine(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(std::lround(acc[c]), 0L, 255L));
    }
  }
  return out;
}

// Processor time of this thread: other work on a shared machine does not inflate it.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double MedianSeconds(const std::function<void()>& run, int repeats) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const double start = ThreadSeconds();
    run();
    times.push_back(ThreadSeconds() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double Bpp(std::size_t bytes, const TDib& dib) { return 8.0 * bytes / (static_cast<double>(dib.Width()) * dib.Height()); }

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : QRL_FIF_PHOTOS;
  const char* names[] = {"astronaut.png", "coffee.png", "chelsea.png", "brick.png", "camera.png"};
  const int qualities[] = {50, 65, 75, 85};

  std::printf("Rate-distortion at equal file size (PSNR over R, G, B)\n");
  std::printf("%-14s %4s %7s %9s %9s %7s\n", "picture", "q", "bpp", "FIF dB", "JPEG dB", "diff");
  double diffSum = 0.0;
  int diffCount = 0;
  for (const char* name : names) {
    const TDib photo = qrl::test::LoadPicture(dir + "/" + name);
    if (photo.Empty()) {
      std::printf("%s: cannot read\n", name);
      return 1;
    }
    for (int q : qualities) {
      const std::vector<std::uint8_t> fif = EncodeFif(photo, TFifEncodeOptions::WithQuality(q));
      const double fifDb = qrl::test::Psnr(photo, TFifDecoder(fif).Render());
      const std::vector<std::uint8_t> jpeg = JpegAtSize(photo, fif.size());
      const double jpegDb = qrl::test::Psnr(photo, JpegDecode(jpeg));
      const double bpp = Bpp(fif.size(), photo);
      std::printf("%-14s %4d %7.3f %9.2f %9.2f %+7.2f  (JPEG %.3f bpp)\n", name, q, bpp, fifDb, jpegDb,
                  fifDb - jpegDb, Bpp(jpeg.size(), photo));
      if (bpp >= 0.5 && bpp <= 1.5) {
        diffSum += fifDb - jpegDb;
        ++diffCount;
      }
    }
  }
  if (diffCount) std::printf("mean FIF - JPEG between 0.5 and 1.5 bpp: %+.2f dB over %d points\n\n", diffSum / diffCount, diffCount);

  std::printf("2x zoom: half-size picture coded, shown at full size (PSNR against the full picture)\n");
  std::printf("%-14s %7s %9s %12s %7s\n", "picture", "bytes", "FIF dB", "JPEG+cubic", "diff");
  for (const char* name : names) {
    TDib photo = qrl::test::LoadPicture(dir + "/" + name);
    photo = qrl::test::Crop(photo, 0, 0, photo.Width() & ~1, photo.Height() & ~1);
    const TDib half = qrl::test::Halve(photo);
    const std::vector<std::uint8_t> fif = EncodeFif(half);
    const double fifDb = qrl::test::Psnr(photo, TFifDecoder(fif).Render(photo.Width(), photo.Height()));
    const TDib jpegHalf = JpegDecode(JpegAtSize(half, fif.size()));
    const double jpegDb = qrl::test::Psnr(photo, Bicubic(jpegHalf, photo.Width(), photo.Height()));
    std::printf("%-14s %7zu %9.2f %12.2f %+7.2f\n", name, fif.size(), fifDb, jpegDb, fifDb - jpegDb);
  }

  std::printf("\nDecoding at the picture's own size (median of 15, thread CPU time) and encoding at default quality\n");
  std::printf("%-14s %10s %10s %7s %12s\n", "picture", "FIF ms", "JPEG ms", "ratio", "enc s/MP");
  for (const char* name : names) {
    const TDib photo = qrl::test::LoadPicture(dir + "/" + name);
    std::vector<std::uint8_t> fif;
    const double encode = MedianSeconds([&] { fif = EncodeFif(photo); }, 3);
    const std::vector<std::uint8_t> jpeg = JpegAtSize(photo, fif.size());
    const TFifDecoder decoder(fif);
    TDib out = qrl::test::NewDib(photo.Width(), photo.Height());
    const double fifTime = MedianSeconds(
        [&] {
          const TFifDecoder d(fif);
          d.RenderBgr(photo.Width(), photo.Height(), out.Pixels(), out.Stride());
        },
        15);
    const double jpegTime = MedianSeconds([&] { JpegDecode(jpeg); }, 15);
    const double megapixels = photo.Width() * static_cast<double>(photo.Height()) / 1e6;
    std::printf("%-14s %10.2f %10.2f %7.2f %12.2f\n", name, fifTime * 1e3, jpegTime * 1e3, fifTime / jpegTime,
                encode / megapixels);
  }
  return 0;
}
