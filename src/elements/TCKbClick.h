#pragma once
// Click areas: invisible rectangles or ellipses of a page that go to a page, leaf, go back or
// forward, open a web address or file, or close, optionally with a sound.

#include <cstdint>
#include <memory>
#include <string>

#include "elements/TCKbControl.h"
#include "elements/TCKbOccurrence.h"

namespace qrl {

class TCKbOccSound;

inline constexpr std::int16_t kEllipseShape = 4;

// Actions of a click placement; values of 1 and above go to that page, below -6 do nothing.
inline constexpr std::int16_t caNone = 0;
inline constexpr std::int16_t caClose = -1;
inline constexpr std::int16_t caNextPage = -2;
inline constexpr std::int16_t caPreviousPage = -3;
inline constexpr std::int16_t caWebLink = -4;
inline constexpr std::int16_t caForward = -5;
inline constexpr std::int16_t caBack = -6;

class TCKbClick : public TCKbControl {
 public:
  using TCKbControl::TCKbControl;

  std::int16_t Shape = 0;  // kEllipseShape: the ellipse inside the rectangle; else the rectangle

  int Kind() const override { return kindClick; }
  void Load(TQLStream& stream, std::int64_t headerEnd) override;

 protected:
  std::unique_ptr<TCKbOccurrence> CreateOccurrence() override;
};

class TCKbOccClick : public TCKbOccurrence {
 public:
  explicit TCKbOccClick(TCKbClick& element) : TCKbOccurrence(element) {}

  std::int16_t Action = caNone;
  std::uint16_t SoundElement = 0;  // id of the sound element played on click; 0: none
  std::uint16_t SoundIndex = 0;    // 1-based occurrence of that sound element
  TCKbOccSound* ClickSound = nullptr;  // resolved by the page builder; not owned
  std::string LinkText;            // web address or file of a web link; empty in layout 1

  // Layout 2: placement, action, sound, link text. Layout 1: action, sound, placement.
  // Windowed exactly for web links.
  void Load(TQLStream& stream, int layout) override;

  TCKbClick& Click() const { return static_cast<TCKbClick&>(Element()); }
};

// Whether the pointer (x, y) lies in the placement's current rectangle, edges included, or for
// the ellipse shape in the ellipse inscribed in it (an ellipse without area is never hit).
bool HitTest(const TCKbOccClick& placement, int x, int y);

}  // namespace qrl
