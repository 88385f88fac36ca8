#pragma once
// Flyers for the rendering tests: pictures made of solid blocks (which the FIF codec keeps
// nearly exact), their placements, texts and pages, written to a file and loaded as the player
// loads them, with real fonts.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/FlyerDescription.h"
#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TFlyerWriter.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbImage.h"
#include "fif/FifEncoder.h"
#include "format/Dib.h"
#include "support/GuiApplication.h"
#include "support/TempDir.h"

namespace qrl::test {

inline constexpr TColor Rgb(int red, int green, int blue) {
  return static_cast<TColor>(red) | (static_cast<TColor>(green) << 8) | (static_cast<TColor>(blue) << 16);
}
inline QRgb ToRgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

struct TBlock {
  int Left, Top, Width, Height;
  TColor Colour;
};

// A picture of one colour with solid blocks drawn over it in order.
inline TDib BlockPicture(int width, int height, TColor ground, const std::vector<TBlock>& blocks = {}) {
  TDib dib(width, height);
  const auto paint = [&dib](int left, int top, int w, int h, TColor c) {
    for (int y = top; y < top + h; ++y)
      for (int x = left; x < left + w; ++x) {
        std::uint8_t* p = dib.ScanLine(y) + 3 * x;
        p[0] = static_cast<std::uint8_t>(c >> 16);
        p[1] = static_cast<std::uint8_t>(c >> 8);
        p[2] = static_cast<std::uint8_t>(c);
      }
  };
  paint(0, 0, width, height, ground);
  for (const TBlock& b : blocks) paint(b.Left, b.Top, b.Width, b.Height, b.Colour);
  return dib;
}

inline QRgb PixelOf(const TDib& dib, int x, int y) {
  const std::uint8_t* p = dib.ScanLine(y) + 3 * x;
  return qRgb(p[2], p[1], p[0]);
}

inline TOccurrenceDesc Placed(int left, int top, int width, int height) {
  TOccurrenceDesc o;
  o.Placement = {left, top, width, height};
  return o;
}
inline TOccurrenceDesc Keyed(int left, int top, int width, int height, TColor key) {
  TOccurrenceDesc o = Placed(left, top, width, height);
  o.ImageFlags = 0x0001;
  o.KeyColour = key;
  return o;
}
inline TOccurrenceDesc Backdrop(int width, int height) {
  TOccurrenceDesc o = Placed(0, 0, width, height);
  o.ImageFlags = 0x0004;
  return o;
}

inline TElementDesc Picture(std::uint16_t id, const TDib& picture, std::vector<TOccurrenceDesc> occurrences) {
  TElementDesc e;
  e.Kind = ekImage;
  e.Id = id;
  TFifEncodeOptions options;
  options.quality = 100;
  e.PictureData = EncodeFif(picture, options);
  e.Occurrences = std::move(occurrences);
  return e;
}

// Flags as stored: 0x01 opaque, 0x02 framed, 0x08 right, 0x10 centred.
inline TElementDesc Text(std::uint16_t id, TStrings lines, std::int16_t flags, std::vector<TOccurrenceDesc> occurrences,
                         TColor colour = Rgb(0, 0, 0), TColor back = Rgb(255, 255, 255), std::int16_t size = 14) {
  TElementDesc e;
  e.Kind = ekText;
  e.Id = id;
  e.Lines = std::move(lines);
  e.TextFlags = flags;
  e.TextColour = colour;
  e.BackColour = back;
  e.FontSize = size;
  e.Occurrences = std::move(occurrences);
  return e;
}

inline TElementDesc ClickArea(std::uint16_t id, std::vector<TOccurrenceDesc> occurrences) {
  TElementDesc e;
  e.Kind = ekClick;
  e.Id = id;
  e.Occurrences = std::move(occurrences);
  return e;
}

inline TPageRefDesc Ref(std::uint16_t element, std::uint16_t occurrence = 1) { return {element, occurrence, 0}; }

inline TPageDesc Page(TColor colour, std::vector<TPageRefDesc> refs) {
  TPageDesc p;
  p.Colour = colour;
  p.Refs = std::move(refs);
  return p;
}

// Blocks: the information (canvas size), then the elements, then the background page and the
// pages.
inline TFlyerDesc FlyerOf(int width, int height, std::vector<TElementDesc> elements, std::vector<TPageDesc> pages) {
  TFlyerDesc flyer;
  flyer.Header.FormatCode = 106;
  TInfoDesc info;
  info.Width = width;
  info.Height = height;
  flyer.Blocks.push_back(info);
  for (auto& e : elements) flyer.Blocks.push_back(std::move(e));
  for (auto& p : pages) flyer.Blocks.push_back(std::move(p));
  return flyer;
}

// A flyer written to a scratch folder and loaded completely, with real fonts.
class TLoadedFlyer {
 public:
  explicit TLoadedFlyer(const TFlyerDesc& description, int bitsPerPixel = 24, const std::string& placeholderFolder = {}) {
    EnsureGuiApplication();
    TScreenMetrics screen;
    screen.bitsPerPixel = bitsPerPixel;
    flyer_ = std::make_unique<TFlyer>(measurer_, screen);
    WriteFlyerFile(description, dir_.File("test.qrl"));
    TLoadObserver quiet;
    TFlyerLoader(*flyer_, quiet, placeholderFolder).LoadFlyer(dir_.File("test.qrl"));
  }

  TFlyer& operator*() { return *flyer_; }
  TFlyer* operator->() { return flyer_.get(); }

 private:
  TempDir dir_;
  TQtTextMeasurer measurer_;
  std::unique_ptr<TFlyer> flyer_;
};

// The first occurrence of an element by id.
template <class TOcc>
TOcc& OccurrenceOf(TFlyer& flyer, std::uint16_t id, int number = 1) {
  return static_cast<TOcc&>(*flyer.FindElement(id)->Control->Occurrence(number));
}

// The decoded picture of an image element, top row first.
inline QImage DecodedPicture(TFlyer& flyer, std::uint16_t id) {
  auto& element = static_cast<TCKbImage&>(*flyer.FindElement(id)->Control);
  element.Ensure();
  const TDib& dib = element.Bitmap;
  QImage image(dib.Width(), dib.Height(), QImage::Format_RGB32);
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) image.setPixel(x, y, PixelOf(dib, x, y));
  return image;
}

// Pixels that differ, with the first one named for the failure message.
inline testing::AssertionResult SameInside(const QImage& actual, const QImage& expected, QRect area = {}) {
  if (area.isNull()) area = expected.rect();
  if (actual.size() != expected.size()) return testing::AssertionFailure() << "sizes differ";
  int differing = 0;
  std::string first;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if ((actual.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF) && differing++ == 0)
        first = "first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
  if (differing == 0) return testing::AssertionSuccess();
  return testing::AssertionFailure() << differing << " pixels differ, " << first;
}

}  // namespace qrl::test
