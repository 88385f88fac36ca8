#include "format/FontCodes.h"

#include <gtest/gtest.h>

#include "format/QuireleafException.h"

namespace qrl {
namespace {

TEST(FontCodes, TableRoundTripsBothWays) {
  for (const TFontCode& f : kFontCodes) {
    EXPECT_EQ(FontCodeOf(f.Name), f.Code) << f.Name;
    EXPECT_EQ(FontNameOf(f.Code), f.Name) << f.Code;
  }
  EXPECT_EQ(FontCodeOf("Arial"), 0x0501);
}

TEST(FontCodes, UnknownNamesAreRefusedExactly) {
  for (const char* name : {"arial", "Arial ", "TimesNewRoman", ""}) {
    try {
      FontCodeOf(name);
      ADD_FAILURE() << "accepted " << name;
    } catch (const EQuireleafDebugger& e) {
      EXPECT_STREQ(e.what(), "Unknown font");
      EXPECT_EQ(e.HelpContext(), 16384);
    }
  }
}

TEST(FontCodes, UnknownCodesFallBackToTheirGroup) {
  EXPECT_EQ(FontNameOf(0x0105), "MS Sans Serif");
  EXPECT_EQ(FontNameOf(0x0205), "MS Serif");
  EXPECT_EQ(FontNameOf(0x0200), "MS Serif");
  EXPECT_EQ(FontNameOf(0x0300), "MS Serif");
  EXPECT_EQ(FontNameOf(0x0402), "Courier New");
  EXPECT_EQ(FontNameOf(0x05FF), "Arial");
  EXPECT_EQ(FontNameOf(0x0600), "Times New Roman");
  EXPECT_EQ(FontNameOf(0x0000), "Courier");
  // Beyond group 7 there is no group; every such code must still end.
  for (unsigned code = 0x0800; code <= 0xFFFF; code += 0x00FF) EXPECT_EQ(FontNameOf(static_cast<std::uint16_t>(code)), "Arial");
}

}  // namespace
}  // namespace qrl
