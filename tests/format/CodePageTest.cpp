#include "format/CodePage.h"

#include <gtest/gtest.h>

namespace qrl {
namespace {

TEST(CodePage, EveryByteSurvivesTheRoundTripThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  EXPECT_EQ(EncodeCp1252(utf8), all);
}

TEST(CodePage, HighBytesAreTheirTypographicCharacters) {
  EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x93), U'\u201C');
  EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(Cp1252ToUnicode(0x8D), U'\u008D');  // undefined: its own C1 control
  EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
  EXPECT_EQ(Cp1252ToUtf8("\x80 caf\xE9"), "\u20AC caf\u00E9");
  EXPECT_EQ(EncodeCp1252("\u201Cna\u00EFve\u201D \u2013 \u0152"), "\x93na\xEFve\x94 \x96 \x8C");
}

TEST(CodePage, EncodingNamesTheFirstCharacterItCannotStore) {
  char32_t bad = 0;
  EXPECT_EQ(Utf8ToCp1252("ok \u4E2D \u2603", &bad), std::nullopt);
  EXPECT_EQ(bad, U'\u4E2D');
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80", &bad), std::nullopt);
  EXPECT_EQ(bad, U'\U0001F600');
  // Characters whose code-page byte holds another character.
  EXPECT_EQ(Utf8ToCp1252("\u0080", &bad), std::nullopt);
  EXPECT_EQ(bad, U'\u0080');

  try {
    EncodeCp1252("Gr\u00FC\u00DFe \u4E2D");
    FAIL() << "no exception";
  } catch (const EUnstorableText& e) {
    EXPECT_EQ(e.Character(), U'\u4E2D');
    EXPECT_STREQ(e.what(), "The character U+4E2D \"\u4E2D\" cannot be stored: flyer texts are Windows-1252.");
  }
}

TEST(CodePage, MalformedUtf8IsRefusedNotGuessed) {
  for (const std::string bad : {"\xC3", "\xC3(", "\xE2\x82", "\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    char32_t unstorable = 0;
    EXPECT_EQ(Utf8ToCp1252("a" + bad, &unstorable), std::nullopt) << ::testing::PrintToString(bad);
    EXPECT_EQ(unstorable, U'\uFFFD');
  }
  EXPECT_EQ(DescribeCharacter(U'\uFFFD'), "U+FFFD");
  EXPECT_EQ(DescribeCharacter(U'\t'), "U+0009");
  EXPECT_EQ(DescribeCharacter(U'\U0001F600'), "U+1F600 \"\U0001F600\"");
}

}  // namespace
}  // namespace qrl
