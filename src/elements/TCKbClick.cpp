#include "elements/TCKbClick.h"

namespace qrl {

std::unique_ptr<TCKbOccurrence> TCKbClick::CreateOccurrence() { return std::make_unique<TCKbOccClick>(*this); }

void TCKbClick::Load(TQLStream& stream, std::int64_t headerEnd) { Shape = stream.ReadSmallInt(); }

void TCKbOccClick::Load(TQLStream& stream, int layout) {
  if (layout == 2) LoadPlacement(stream);
  Action = stream.ReadSmallInt();
  SoundElement = stream.ReadWord();
  SoundIndex = stream.ReadWord();
  if (layout == 2) LinkText = stream.ReadText();
  if (layout == 1) LoadPlacement(stream);
  Windowed = Action == caWebLink;
}

bool HitTest(const TCKbOccClick& placement, int x, int y) {
  const std::int64_t left = placement.Left, top = placement.Top, w = placement.Width, h = placement.Height;
  if (placement.Click().Shape != kEllipseShape) return left <= x && x <= left + w && top <= y && y <= top + h;
  if (w == 0 || h == 0) return false;
  const double cx = static_cast<double>(left + w / 2);
  const double cy = static_cast<double>(top + h / 2);
  const double rx = static_cast<double>(w) / 2;
  const double ry = static_cast<double>(h) / 2;
  const double dx = x - cx;
  const double dy = y - cy;
  return dx * dx / (rx * rx) + dy * dy / (ry * ry) <= 1;
}

}  // namespace qrl
