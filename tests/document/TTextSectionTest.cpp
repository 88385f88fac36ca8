#include "document/TTextSection.h"

#include <gtest/gtest.h>

namespace qrl {
namespace {

TEST(TTextSection, GetValueIgnoresCaseAndReturnsFirstLine) {
  TTextSection section;
  section.SetValue("Title", {"First line", "Second line"}, -1);
  EXPECT_EQ(section.GetValue("title"), "First line");
  EXPECT_EQ(section.GetValue("TITLE"), "First line");
  EXPECT_EQ(section.GetValue("Missing"), "");
  // Windows-1252 letters beyond ASCII fold too: "\xC9" is E acute, "\xE9" its lower case.
  section.SetValue("\xC9t\xE9", {"summer"}, -1);
  EXPECT_EQ(section.GetValue("\xE9t\xC9"), "summer");
}

TEST(TTextSection, EmptyValuesAreNeverStored) {
  TTextSection section;
  section.SetValue("A", {}, -1);
  section.SetValue("B", {""}, -1);
  EXPECT_EQ(section.Count(), 0);

  section.SetValue("A", {"one"}, -1);
  section.SetValue("B", {"", ""}, -1);  // two empty lines are a value
  ASSERT_EQ(section.Count(), 2);
  section.SetValue("a", {"replaced"}, -1);
  ASSERT_EQ(section.Count(), 2);
  EXPECT_EQ(section.Key(0), "A");  // the stored spelling stays
  EXPECT_EQ(section.GetValue("A"), "replaced");

  section.SetValue("A", {""}, -1);  // removes the key
  ASSERT_EQ(section.Count(), 1);
  EXPECT_EQ(section.Key(0), "B");
  EXPECT_EQ(section.IndexOf("A"), -1);
}

TEST(TTextSection, PositionExchangesEntries) {
  TTextSection section;
  for (const char* key : {"A", "B", "C", "D"}) section.SetValue(key, {key}, -1);

  section.SetValue("D", {"d"}, 1);  // D trades places with B
  EXPECT_EQ(section.Key(0), "A");
  EXPECT_EQ(section.Key(1), "D");
  EXPECT_EQ(section.Key(3), "B");
  EXPECT_EQ(section.Value(1), TStrings{"d"});
  EXPECT_EQ(section.Value(3), TStrings{"B"});

  section.SetValue("A", {"a"}, 99);  // lowered to the last index
  EXPECT_EQ(section.Key(3), "A");
  EXPECT_EQ(section.Key(0), "B");

  section.SetValue("E", {"e"}, 0);  // a new key may be placed at once
  EXPECT_EQ(section.Key(0), "E");
  EXPECT_EQ(section.Key(4), "B");

  section.SetValue("E", {}, 2);  // a removal ignores the position
  EXPECT_EQ(section.Count(), 4);
  EXPECT_EQ(section.Key(0), "D");
  EXPECT_EQ(section.Key(3), "B");
}

TEST(TTextSection, InfoValueMatchesSectionNamesExactly) {
  TTextSections sections;
  for (const char* name : {"Special", "Flyer Info", "Flyer Info"}) {
    sections.push_back(std::make_unique<TTextSection>());
    sections.back()->Name = name;
  }
  sections[1]->SetValue("Title", {"First"}, -1);
  sections[2]->SetValue("Title", {"Second"}, -1);
  EXPECT_EQ(InfoValue(sections, "Flyer Info", "title"), "First");
  EXPECT_EQ(InfoValue(sections, "flyer info", "Title"), "");
  EXPECT_EQ(InfoValue(sections, "Special", "Creator"), "");
  EXPECT_EQ(InfoValue({}, "Special", "Creator"), "");
}

}  // namespace
}  // namespace qrl
