#pragma once
// One placement of an element on pages: its rectangle as stored and as currently scaled, the
// pages it lies on, and whether it is shown through a window control of its own.

#include <cstdint>

#include "elements/TLocation.h"
#include "format/TQLStream.h"

namespace qrl {

class TCKbControl;

class TCKbOccurrence {
 public:
  explicit TCKbOccurrence(TCKbControl& element) : element_(element) {}
  virtual ~TCKbOccurrence() = default;
  TCKbOccurrence(const TCKbOccurrence&) = delete;
  TCKbOccurrence& operator=(const TCKbOccurrence&) = delete;

  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;  // current, in pixels of the page area
  std::int32_t DesignLeft = 0, DesignTop = 0, DesignWidth = 0, DesignHeight = 0;  // as stored
  TLocation Location;
  // Shown through a window control (a web link's hint area, a scrolling text), not painted.
  bool Windowed = false;

  // Reads the occurrence payload. layout is the low byte of the occurrence block code (1 or 2);
  // in layout 2 the common placement comes before the kind's own fields, in layout 1 after.
  // The base reads the common placement only.
  virtual void Load(TQLStream& stream, int layout);
  // Current rectangle = design rectangle x scale, each value rounded half to even.
  virtual void Rescale(double scale);
  void SetRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

  TCKbControl& Element() const { return element_; }

 protected:
  // The common placement: design rectangle and two ignored small integers; the current
  // rectangle becomes the design rectangle.
  void LoadPlacement(TQLStream& stream);

 private:
  TCKbControl& element_;
};

}  // namespace qrl
