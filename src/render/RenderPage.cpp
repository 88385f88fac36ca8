#include "render/RenderPage.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string>

#include "document/TFlyer.h"
#include "elements/TCKbImage.h"
#include "format/QuireleafException.h"
#include "imaging/CheckMemory.h"
#include "render/CheckDC.h"
#include "render/DibImage.h"
#include "render/FlyerScale.h"
#include "render/PagePalette.h"
#include "render/PaintImage.h"
#include "render/PaintOccurrence.h"

namespace qrl {

namespace {

constexpr std::uint64_t kBytesPerPixel = 4;

QImage PageSurface(const TFlyer& flyer) {
  if (flyer.AreaWidth < 1 || flyer.AreaHeight < 1) throw EQuireleafDebugger(ecInvalidDC);
  CheckMemory(static_cast<std::uint64_t>(flyer.AreaWidth) * static_cast<std::uint64_t>(flyer.AreaHeight) *
              kBytesPerPixel);
  QImage bitmap(flyer.AreaWidth, flyer.AreaHeight, QImage::Format_RGB32);
  CheckDC(bitmap);
  return bitmap;
}

bool Draws(const TPlayerPage& page, const TCKbImage* image) {
  if (page.Backdrop != nullptr && &page.Backdrop->Image() == image) return true;
  return std::any_of(page.DrawList.begin(), page.DrawList.end(),
                     [image](const TCKbOccurrence* o) { return o != nullptr && &o->Element() == image; });
}

// While memory is low, the bitmaps released by pages out of view go to their swap files, oldest
// first. Ensure alone would swap only for an element that is itself out of memory, and after
// loading every picture is in memory, so without this step nothing would ever be swapped.
void SwapOutUnneeded(TFlyer& flyer, const TPlayerPage& page) {
  TElementContext& context = flyer.Context();
  TSwapCandidates& candidates = context.SwapCandidates;
  const TPlayerPage& background = *flyer.Pages.front();
  std::size_t i = 0;
  while (i < candidates.size() && context.AvailableMemory() < context.SwapThreshold) {
    TCKbImage* image = candidates[i];
    if (Draws(page, image) || Draws(background, image)) {
      ++i;
      continue;
    }
    image->Release(true);
    std::erase(candidates, image);  // its later entries too: the bitmap is on disk now
  }
}

// Paints the placements of a draw list that are not windowed; own placements give their
// element up again right after.
void PaintDrawList(const std::vector<TCKbOccurrence*>& drawList, QPainter& canvas, bool release) {
  for (TCKbOccurrence* o : drawList) {
    if (o == nullptr) throw EQuireleafDebugger(ecUnexpectedNilControl);
    if (o->Windowed) continue;
    TCKbControl& element = o->Element();
    element.Ensure();
    PaintOccurrence(*o, canvas);
    if (release) element.Release(false);
  }
}

}  // namespace

QImage RenderPage(TFlyer& flyer, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= flyer.Pages.size())
    throw EOutOfRange("The flyer has no page " + std::to_string(index) + ".");
  flyer.BuildPage(0);
  flyer.BuildPage(index);
  TPlayerPage& page = *flyer.Pages[static_cast<std::size_t>(index)];
  SwapOutUnneeded(flyer, page);
  const bool throughPalette = flyer.Context().ScreenBitsPerPixel == 8;
  if (throughPalette && page.Palette.empty()) BuildPagePalette(flyer, index);

  QImage bitmap = PageSurface(flyer);
  {
    QPainter canvas(&bitmap);
    CheckDC(canvas);
    canvas.fillRect(bitmap.rect(), ToQColor(page.Color));
    if (page.Backdrop != nullptr) {
      TCKbControl& element = page.Backdrop->Element();
      element.Ensure();
      PaintBackdrop(*page.Backdrop, canvas, bitmap.width(), bitmap.height());
      element.Release(false);
    }
    PaintDrawList(flyer.Pages.front()->DrawList, canvas, false);
    if (index != 0) PaintDrawList(page.DrawList, canvas, true);
  }
  if (throughPalette) SelectPagePalette(page, bitmap);
  return bitmap;
}

QImage RenderPageForScreen(TFlyer& flyer, int index, double deviceScale) {
  if (deviceScale == 1.0) return RenderPage(flyer, index);
  const std::int32_t width = flyer.AreaWidth;
  const std::int32_t height = flyer.AreaHeight;
  // Placements scale from their design rectangles, so going back to the area is exact.
  SetFlyerArea(flyer, static_cast<std::int32_t>(std::lround(width * deviceScale)),
               static_cast<std::int32_t>(std::lround(height * deviceScale)));
  QImage image;
  try {
    image = RenderPage(flyer, index);
  } catch (...) {
    SetFlyerArea(flyer, width, height);
    throw;
  }
  SetFlyerArea(flyer, width, height);
  image.setDevicePixelRatio(deviceScale);
  return image;
}

}  // namespace qrl
