#pragma once
// Sizing arithmetic of the flyer area: keeping the flyer's aspect ratio inside the screen,
// the window's track sizes and the centred presentation layout. Pure integer arithmetic.

namespace qrl {

struct TSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline constexpr int kMinAreaWidth = 632;
inline constexpr int kMinAreaHeight = 10;
inline constexpr int kNavBarHeight = 30;

// number * numerator / denominator rounded to the nearest integer, halves away from zero;
// -1 when the denominator is 0.
int MulDiv(int number, int numerator, int denominator);

// What the fitting needs to know about the screen, the window and the flyer.
struct TAreaContext {
  TSize screen;
  int frameWidth = 0;   // window width minus client width
  int frameHeight = 0;  // window height minus client height, measured with the menu shown
  int nav = 0;          // see NavAllowance
  bool flyerKnown = false;  // a flyer is being built or shown
  TSize flyer;              // its canvas size
};

// Height the nav bar takes from the screen: its height when visible, less the menu bar's
// height when the menu is hidden (currentFrameHeight is the frame measured now).
int NavAllowance(bool navVisible, int navHeight, bool menuHidden, int currentFrameHeight, int frameHeight);

// The flyer area for a requested size: at least 632 x 10, at most the screen, and with a
// flyer known, its aspect ratio.
TSize FitFlyerArea(const TAreaContext& context, TSize requested);

struct TTrackSizes {
  TSize maxSize;      // also the maximised size
  int maxLeft = 0;    // maximised position: centred
  int maxTop = 0;
  TSize minTrackSize;
};

// The window's limits in the normal layout; navHeight is the nav bar's own height.
TTrackSizes WindowTrackSizes(const TAreaContext& context, int navHeight);

// Presentation layout: the page view centred on the screen (menuHeight is screen height minus
// client height), the nav bar right below it with the same left and width.
struct TPresentationLayout {
  TRect pageView;
  TRect navBar;
};
TPresentationLayout CentrePresentation(TSize screen, int clientHeight, TSize area, int navHeight);

}  // namespace qrl
