#include <gtest/gtest.h>

#include "elements/ElementTestSupport.h"
#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"

namespace qrl {
namespace {

using test::TBlockReader;
using test::TElementEnvironment;
using test::WriteBlocks;
using test::WritePlacement;

struct TTextPayload {
  std::int16_t Compression = 0;
  std::uint16_t FontCode = 0x0501;
  std::int16_t Size = 12;
  std::int16_t Flags = 0;
  TStrings Lines{"Hello"};
};

test::TPayload TextPayload(const TTextPayload& p) {
  return [p](TQLStream& s) {
    s.WriteSmallInt(p.Compression);
    s.WriteColor(0x00102030);
    s.WriteWord(p.FontCode);
    s.WriteWord(0);
    s.WriteColor(0x00405060);
    s.WriteSmallInt(p.Size);
    s.WriteSmallInt(p.Flags);
    s.WriteLines(p.Lines);
  };
}

std::unique_ptr<TCKbTekst> LoadText(TElementEnvironment& env, const TTextPayload& p) {
  auto text = std::make_unique<TCKbTekst>(env.Context);
  TBlockReader reader(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload(p)}}));
  reader.LoadElement(*text);
  return text;
}

TEST(TextElement, FlagsGiveBackgroundFrameScrollingAlignmentAndStyle) {
  TElementEnvironment env;
  TCKbTekst plain(env.Context);
  TBlockReader reader(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload({})}}));
  reader.LoadElement(plain);
  EXPECT_EQ(plain.Kind(), 3);
  EXPECT_FALSE(plain.Opaque || plain.Framed || plain.ScrollAllowed);
  EXPECT_EQ(plain.Alignment, taLeft);
  EXPECT_FALSE(plain.Font.Bold || plain.Font.Italic || plain.Font.Underline || plain.Font.StrikeOut);
  EXPECT_EQ(plain.Font.Name, "Arial");
  EXPECT_EQ(plain.Font.Color, 0x00405060u);
  EXPECT_EQ(plain.BackColour, 0x00102030u);
  EXPECT_EQ(plain.FontSize, 12);
  EXPECT_EQ(plain.Font.Height, -12);
  EXPECT_EQ(plain.Lines, (TStrings{"Hello"}));

  const auto alignment = [&](std::int16_t flags) {
    TCKbTekst text(env.Context);
    TBlockReader r(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload({.Flags = flags})}}));
    r.LoadElement(text);
    return text.Alignment;
  };
  EXPECT_EQ(alignment(0x0008), taRight);
  EXPECT_EQ(alignment(0x0010), taCentre);
  EXPECT_EQ(alignment(0x0018), taLeft);

  TCKbTekst styled(env.Context);
  TBlockReader r(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload({.FontCode = 0x0205, .Flags = 0x0F07})}}));
  r.LoadElement(styled);
  EXPECT_TRUE(styled.Opaque && styled.Framed && styled.ScrollAllowed);
  EXPECT_TRUE(styled.Font.Bold && styled.Font.Italic && styled.Font.Underline && styled.Font.StrikeOut);
  EXPECT_EQ(styled.Font.Name, "MS Serif");
}

TEST(TextElement, RefusesOtherCompressionsWithItsCode) {
  TElementEnvironment env;
  TCKbTekst text(env.Context);
  TBlockReader reader(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload({.Compression = 1})}}));
  try {
    reader.LoadElement(text);
    FAIL();
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), 4128);
    EXPECT_STREQ(e.what(), "Unknown text compression type.");
  }
}

TEST(TextElement, RescaleTruncatesTheFontHeight) {
  TElementEnvironment env;
  TCKbTekst text(env.Context);
  text.FontSize = 12;
  TCKbOccurrence& o = text.AddOccurrence();
  o.Rescale(1.5);
  EXPECT_EQ(text.Font.Height, -18);
  o.Rescale(0.7);
  EXPECT_EQ(text.Font.Height, -8);
}

TEST(TextElement, ColoursEnterThePaletteOnlyOnEightBitScreens) {
  TElementEnvironment env;
  TCKbTekst deep(env.Context);
  TBlockReader r1(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload({.Flags = tfOpaque})}}));
  r1.LoadElement(deep);
  EXPECT_TRUE(deep.Palette.empty());

  env.Context.ScreenBitsPerPixel = 8;
  TCKbTekst opaque(env.Context);
  TBlockReader r2(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload({.Flags = tfOpaque})}}));
  r2.LoadElement(opaque);
  EXPECT_EQ(opaque.Palette, (TColourTable{{0x00405060, 32767}, {0x00102030, 32767}}));

  TCKbTekst clear(env.Context);
  TBlockReader r3(WriteBlocks(env.Dir, 120, {{bcElement, TextPayload({})}}));
  r3.LoadElement(clear);
  EXPECT_EQ(clear.Palette, (TColourTable{{0x00405060, 32767}}));
}

// A scrollable text of one short line in a 100 x 50 box (line height 10: it fits).
std::string ScrollableFlyer(const test::TempDir& dir, std::uint16_t formatCode) {
  return WriteBlocks(dir, formatCode,
                     {{bcElement, TextPayload({.Flags = tfScrollAllowed, .Lines = {"Short"}})},
                      {bcOccurrence, [](TQLStream& s) { WritePlacement(s, 0, 0, 100, 50); }}});
}

TEST(TextPlacement, BeforeFormat106AScrollableTextAlwaysScrollsFrom106OnlyWhenItDoesNotFit) {
  TElementEnvironment env;
  {
    TCKbTekst text(env.Context);
    TBlockReader reader(ScrollableFlyer(env.Dir, 105));
    reader.LoadElement(text);
    EXPECT_TRUE(reader.LoadOccurrence(text).Windowed);
    EXPECT_EQ(text.Lines, (TStrings{"Short"}));  // not re-flowed
  }
  TCKbTekst text(env.Context);
  TBlockReader reader(ScrollableFlyer(env.Dir, 106));
  reader.LoadElement(text);
  EXPECT_FALSE(reader.LoadOccurrence(text).Windowed);
  EXPECT_EQ(text.Lines, (TStrings{"Short\xA0"}));
}

TEST(TextPlacement, EachPlacementDrawsTheLinesAsTheyStoodWhenItWasCreated) {
  TElementEnvironment env;  // 6 pixels a character
  const auto path = WriteBlocks(env.Dir, 120,
                                {{bcElement, TextPayload({.Lines = {"aaa bbb ccc\xA0"}})},
                                 {bcOccurrenceExt, [](TQLStream& s) { WritePlacement(s, 0, 0, 50, 100); }},
                                 {bcOccurrence, [](TQLStream& s) { WritePlacement(s, 0, 0, 200, 100); }}});
  TCKbTekst text(env.Context);
  TBlockReader reader(path);
  reader.LoadElement(text);
  auto& narrow = static_cast<TCKbOccTekst&>(reader.LoadOccurrence(text));
  auto& wide = static_cast<TCKbOccTekst&>(reader.LoadOccurrence(text));
  EXPECT_EQ(narrow.Lines, (TStrings{"aaa bbb ccc\xA0"}));
  EXPECT_EQ(wide.Lines, (TStrings{"aaa bbb", "ccc\xA0"}));  // re-flowed for the narrow one
  // The wide placement re-flows the lines as stored, not the narrow one's re-flow.
  EXPECT_EQ(text.Lines, (TStrings{"aaa bbb ccc\xA0"}));
  EXPECT_EQ(wide.WholeText(), "aaa bbb\r\nccc\xA0\r\n");
}

TEST(TextElement, IsAPicturePlaceholderOnlyWithoutLinesBackgroundAndFrame) {
  TElementEnvironment env;
  EXPECT_TRUE(LoadText(env, {.Lines = {}})->IsPlaceholder());
  EXPECT_FALSE(LoadText(env, {.Flags = tfFramed, .Lines = {}})->IsPlaceholder());
  EXPECT_FALSE(LoadText(env, {})->IsPlaceholder());
}

}  // namespace
}  // namespace qrl
