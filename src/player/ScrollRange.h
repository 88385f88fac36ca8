#pragma once
// The scroll bar settings of a scrolling text.

namespace qrl {

struct TScrollRange {
  int maximum = 0;
  int smallChange = 0;
  int largeChange = 0;
  friend bool operator==(const TScrollRange&, const TScrollRange&) = default;
};

// lineCount lines of lineHeight pixels in a control controlHeight pixels high (the text area is
// 2 pixels lower than the control).
TScrollRange ScrollRangeFor(int lineCount, int lineHeight, int controlHeight);

}  // namespace qrl
