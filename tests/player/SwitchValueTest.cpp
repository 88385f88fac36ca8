#include "player/SwitchValue.h"

#include <gtest/gtest.h>

namespace qrl {
namespace {

TEST(SwitchValue, ValuesOfPresentationSwitch) {
  EXPECT_EQ(SwitchValue({"player", "flyer.qrl"}, 'p'), -1);
  EXPECT_EQ(SwitchValue({"-p0", "flyer.qrl"}, 'p'), 0);
  EXPECT_FALSE(SwitchGiven({"-p0"}, 'p'));
  EXPECT_EQ(SwitchValue({"-p"}, 'p'), 1);
  EXPECT_EQ(SwitchValue({"-p5"}, 'p'), 5);
  EXPECT_EQ(SwitchValue({"-p3"}, 'p'), 3);
  EXPECT_EQ(SwitchValue({"-px"}, 'p'), 1);
  EXPECT_EQ(SwitchValue({"-p5x"}, 'p'), 1);
  EXPECT_TRUE(SwitchGiven({"-px"}, 'p'));
}

TEST(SwitchValue, MatchingRules) {
  // Later matches overwrite earlier ones, also with a smaller value.
  EXPECT_EQ(SwitchValue({"-p3", "x.qrl", "-p0"}, 'p'), 0);
  EXPECT_EQ(SwitchValue({"-p0", "-p"}, 'p'), 1);
  // Letters are case-sensitive; a lone "-" or a path never matches.
  EXPECT_EQ(SwitchValue({"-P3"}, 'p'), -1);
  EXPECT_EQ(SwitchValue({"-", "p5", "/tmp/-p5"}, 'p'), -1);
  // Other letters are independent.
  EXPECT_EQ(SwitchValue({"-d", "-r", "-t"}, 'd'), 1);
  EXPECT_EQ(SwitchValue({"-d", "-r", "-t"}, 's'), -1);
  // A number too large for the value is a conversion failure.
  EXPECT_EQ(SwitchValue({"-p99999999999"}, 'p'), 1);
}

TEST(FlyerArgument, FirstArgumentNotASwitch) {
  EXPECT_EQ(FlyerArgument({"-r", "a.qrl", "b.qrl"}), "a.qrl");
  EXPECT_EQ(FlyerArgument({"-t", "-p3"}), "");
  EXPECT_EQ(FlyerArgument({}), "");
  // An empty argument is no switch: it ends the search with nothing to open.
  EXPECT_EQ(FlyerArgument({"", "a.qrl"}), "");
}

}  // namespace
}  // namespace qrl
