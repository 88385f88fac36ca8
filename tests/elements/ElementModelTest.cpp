#include <gtest/gtest.h>

#include "elements/TCKbClick.h"
#include "elements/TLocation.h"
#include "elements/TElementContext.h"
#include "format/QuireleafException.h"

namespace qrl {
namespace {

TEST(Rescale, ScalesTheDesignRectangleRoundingHalvesToEven) {
  TElementContext context;
  TCKbClick element(context);
  TCKbOccurrence& o = element.AddOccurrence();
  o.DesignLeft = 3;
  o.DesignTop = 5;
  o.DesignWidth = 100;
  o.DesignHeight = 50;
  o.Rescale(1.5);
  EXPECT_EQ(o.Left, 4);  // 4.5
  EXPECT_EQ(o.Top, 8);   // 7.5
  EXPECT_EQ(o.Width, 150);
  EXPECT_EQ(o.Height, 75);

  o.DesignWidth = 5;
  o.DesignHeight = 7;
  o.Rescale(0.5);
  EXPECT_EQ(o.Width, 2);   // 2.5
  EXPECT_EQ(o.Height, 4);  // 3.5

  // Always from the design rectangle: twice by 2 is twice the design size.
  o.Rescale(2);
  o.Rescale(2);
  EXPECT_EQ(o.Width, 10);
  EXPECT_EQ(o.Height, 14);
}

TEST(Rescale, AbsurdScalesStayInsideThirtyTwoBits) {
  TElementContext context;
  TCKbClick element(context);
  TCKbOccurrence& o = element.AddOccurrence();
  o.DesignLeft = -2'000'000'000;
  o.DesignWidth = 2'000'000'000;
  o.Rescale(3);
  EXPECT_EQ(o.Left, INT32_MIN);
  EXPECT_EQ(o.Width, INT32_MAX);
  o.Rescale(std::numeric_limits<double>::quiet_NaN());  // a flyer width of 0
  EXPECT_EQ(o.Width, 0);
}

TEST(Location, GrowsInStepsOfEightFromSixtyFourKeepingTheTable) {
  TLocation location;
  EXPECT_EQ(location.Capacity(), 0);
  location.AddPage(1);
  EXPECT_EQ(location.Capacity(), 64);
  location.AddPage(65);
  EXPECT_EQ(location.Capacity(), 72);
  location.SetPage(200, 7);
  EXPECT_EQ(location.Capacity(), 200);
  EXPECT_EQ(location.Page(1), 1);
  EXPECT_EQ(location.Page(65), 1);
  EXPECT_EQ(location.Page(200), 7);
  EXPECT_EQ(location.Page(2), 0);
  EXPECT_EQ(location.Page(500), 0);
  EXPECT_THROW(location.SetPage(0, 1), EOutOfRange);
  location.ClearPages();
  EXPECT_EQ(location.Capacity(), 0);
}

TEST(Occurrences, AreNumberedFromOneInTheOrderAdded) {
  TElementContext context;
  TCKbClick element(context);
  TCKbOccurrence& first = element.AddOccurrence();
  TCKbOccurrence& second = element.AddOccurrence();
  EXPECT_EQ(element.Occurrence(1), &first);
  EXPECT_EQ(element.Occurrence(2), &second);
  EXPECT_EQ(element.Occurrence(0), nullptr);
  EXPECT_EQ(element.Occurrence(3), nullptr);
  EXPECT_EQ(&second.Element(), &element);
}

}  // namespace
}  // namespace qrl
