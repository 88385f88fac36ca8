#pragma once
// What the FIF decoding needs to know about the screen to turn a picture's physical size into
// pixels. The player fills it from the real screen; the default stands for an ordinary desktop.

namespace qrl {

struct TScreenMetrics {
  int dpiX = 96;          // logical dots per inch, horizontally
  int dpiY = 96;
  int horzRes = 1920;     // pixels
  int vertRes = 1080;
  int horzSizeMm = 508;   // the visible area in millimetres
  int vertSizeMm = 286;
  int bitsPerPixel = 24;
};

}  // namespace qrl
