#include "PeerCodecs.h"

#include <cstdio>
#include <jpeglib.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "fif/FifTestPictures.h"

namespace qrl::bench {

namespace {

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
  TDib dib = test::NewDib(static_cast<int>(d.output_width), static_cast<int>(d.output_height));
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = dib.ScanLine(static_cast<int>(d.output_scanline));
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return dib;
}

std::vector<std::uint8_t> WebPEncode(const TDib& dib, int quality) {
  const std::vector<std::uint8_t> rgb = ToRgb(dib);
  std::uint8_t* out = nullptr;
  const std::size_t size =
      WebPEncodeRGB(rgb.data(), dib.Width(), dib.Height(), 3 * dib.Width(), static_cast<float>(quality), &out);
  if (size == 0) throw std::runtime_error("WebP encoding failed");
  std::vector<std::uint8_t> bytes(out, out + size);
  WebPFree(out);
  return bytes;
}

TDib WebPDecode(const std::vector<std::uint8_t>& bytes) {
  int width = 0;
  int height = 0;
  if (!WebPGetInfo(bytes.data(), bytes.size(), &width, &height)) throw std::runtime_error("not WebP");
  // libwebp writes top-down rows; DIB rows run bottom-up, so each row is copied into place.
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  std::vector<std::uint8_t> rows(row * static_cast<std::size_t>(height));
  if (!WebPDecodeBGRInto(bytes.data(), bytes.size(), rows.data(), rows.size(), static_cast<int>(row)))
    throw std::runtime_error("WebP decoding failed");
  TDib dib = test::NewDib(width, height);
  for (int y = 0; y < height; ++y) std::copy_n(&rows[row * static_cast<std::size_t>(y)], row, dib.ScanLine(y));
  return dib;
}

}  // namespace

const char* PeerName(TPeer peer) { return peer == TPeer::Jpeg ? "JPEG" : "WebP"; }

std::vector<std::uint8_t> PeerEncode(TPeer peer, const TDib& picture, int quality) {
  return peer == TPeer::Jpeg ? JpegEncode(picture, quality) : WebPEncode(picture, quality);
}

TDib PeerDecode(TPeer peer, const std::vector<std::uint8_t>& bytes) {
  return peer == TPeer::Jpeg ? JpegDecode(bytes) : WebPDecode(bytes);
}

std::vector<std::uint8_t> PeerAtSize(TPeer peer, const TDib& picture, std::size_t target) {
  std::vector<std::uint8_t> best;
  const auto distance = [&](const std::vector<std::uint8_t>& v) {
    return v.size() > target ? v.size() - target : target - v.size();
  };
  for (int lo = 1, hi = 100; lo <= hi;) {
    const int q = (lo + hi) / 2;
    std::vector<std::uint8_t> bytes = PeerEncode(peer, picture, q);
    const bool smaller = bytes.size() < target;
    if (best.empty() || distance(bytes) < distance(best)) best = std::move(bytes);
    if (smaller) lo = q + 1;
    else hi = q - 1;
  }
  return best;
}

TDib Bicubic(const TDib& from, int width, int height) {
  const auto kernel = [](double t) {
    t = std::abs(t);
    if (t < 1) return 1.5 * t * t * t - 2.5 * t * t + 1;
    if (t < 2) return -0.5 * t * t * t + 2.5 * t * t - 4 * t + 2;
    return 0.0;
  };
  TDib out = test::NewDib(width, height);
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

}  // namespace qrl::bench
