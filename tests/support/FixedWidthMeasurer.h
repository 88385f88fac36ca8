#pragma once
// A text measurer for tests: every character is equally wide, every line equally high.

#include <string_view>

#include "elements/TTextMeasurer.h"

namespace qrl::test {

class FixedWidthMeasurer : public TTextMeasurer {
 public:
  FixedWidthMeasurer(int charWidth, int lineHeight) : charWidth_(charWidth), lineHeight_(lineHeight) {}

  int TextWidth(const TFontSpec&, std::string_view text) const override {
    return static_cast<int>(text.size()) * charWidth_;
  }
  int LineHeight(const TFontSpec&) const override { return lineHeight_; }

 private:
  int charWidth_;
  int lineHeight_;
};

}  // namespace qrl::test
