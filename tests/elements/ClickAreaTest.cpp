#include <gtest/gtest.h>

#include "elements/ElementTestSupport.h"
#include "elements/TCKbClick.h"

namespace qrl {
namespace {

using test::TBlockReader;
using test::TElementEnvironment;
using test::WriteBlocks;
using test::WritePlacement;

TEST(ClickArea, ReadsBothLayoutsAndIsWindowedExactlyForWebLinks) {
  TElementEnvironment env;
  const auto path = WriteBlocks(env.Dir, 120,
                                {{bcElement, [](TQLStream& s) { s.WriteSmallInt(4); }},
                                 {bcOccurrence,
                                  [](TQLStream& s) {  // layout 1: action, sound, placement
                                    s.WriteSmallInt(-4);
                                    s.WriteWord(65535);
                                    s.WriteWord(2);
                                    WritePlacement(s, 5, 6, 7, 8);
                                  }},
                                 {bcOccurrenceExt, [](TQLStream& s) {  // layout 2: placement first, link text last
                                    WritePlacement(s, 1, 2, 3, 4);
                                    s.WriteSmallInt(-4);
                                    s.WriteWord(9);
                                    s.WriteWord(1);
                                    s.WriteText("http://example.org/");
                                  }},
                                 {bcOccurrenceExt, [](TQLStream& s) {
                                    WritePlacement(s, 0, 0, 10, 10);
                                    s.WriteSmallInt(12);
                                    s.WriteWord(0);
                                    s.WriteWord(0);
                                    s.WriteText("");
                                  }}});
  TBlockReader reader(path);
  TCKbClick click(env.Context);
  reader.LoadElement(click);
  EXPECT_EQ(click.Kind(), 2);
  EXPECT_EQ(click.Shape, kEllipseShape);

  auto& old = static_cast<TCKbOccClick&>(reader.LoadOccurrence(click));
  EXPECT_EQ(old.Action, caWebLink);
  EXPECT_EQ(old.SoundElement, 65535);
  EXPECT_EQ(old.SoundIndex, 2);
  EXPECT_EQ(old.LinkText, "");
  EXPECT_TRUE(old.Windowed);
  EXPECT_EQ(old.Left, 5);
  EXPECT_EQ(old.Height, 8);

  auto& link = static_cast<TCKbOccClick&>(reader.LoadOccurrence(click));
  EXPECT_EQ(link.LinkText, "http://example.org/");
  EXPECT_EQ(link.SoundElement, 9);
  EXPECT_EQ(link.Top, 2);
  EXPECT_TRUE(link.Windowed);

  auto& page = static_cast<TCKbOccClick&>(reader.LoadOccurrence(click));
  EXPECT_EQ(page.Action, 12);
  EXPECT_FALSE(page.Windowed);
}

TEST(ClickArea, EllipsesHitInsideTheInscribedEllipseRectanglesOnAllFourEdges) {
  TElementContext context;
  TCKbClick click(context);
  auto& o = static_cast<TCKbOccClick&>(click.AddOccurrence());
  o.SetRect(0, 0, 100, 50);
  click.Shape = kEllipseShape;
  EXPECT_TRUE(HitTest(o, 50, 25));
  EXPECT_FALSE(HitTest(o, 2, 2));
  EXPECT_TRUE(HitTest(o, 100, 25));
  EXPECT_TRUE(HitTest(o, 50, 0));
  EXPECT_FALSE(HitTest(o, 101, 25));

  o.SetRect(10, 20, 0, 50);  // no area: nothing hits
  EXPECT_FALSE(HitTest(o, 10, 45));

  click.Shape = 0;
  o.SetRect(10, 20, 30, 40);
  EXPECT_TRUE(HitTest(o, 10, 20));
  EXPECT_TRUE(HitTest(o, 40, 60));
  EXPECT_FALSE(HitTest(o, 41, 60));
  EXPECT_FALSE(HitTest(o, 40, 61));
  EXPECT_FALSE(HitTest(o, 9, 20));
}

TEST(ClickArea, OddSizedEllipsesCentreOnTheTruncatedHalf) {
  TElementContext context;
  TCKbClick click(context);
  click.Shape = kEllipseShape;
  auto& o = static_cast<TCKbOccClick&>(click.AddOccurrence());
  o.SetRect(0, 0, 11, 11);  // centre (5, 5), radii 5.5
  EXPECT_TRUE(HitTest(o, 10, 5));
  EXPECT_TRUE(HitTest(o, 0, 5));
  EXPECT_FALSE(HitTest(o, 11, 5));
}

}  // namespace
}  // namespace qrl
