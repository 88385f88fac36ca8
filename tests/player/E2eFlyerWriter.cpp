// Writes the flyer the end-to-end run of the player shows: two pages, page 1 leading to page 2
// through a click area that covers its left half.

#include <cstdio>
#include <exception>

#include "document/TFlyerWriter.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.qrl\n", argv[0]);
    return 2;
  }
  using namespace qrl;
  TFlyerDesc f;
  TInfoDesc info;
  info.Sections = {{0, "Flyer Info", {{"Title", {"E2E Flyer"}}}}};
  f.Blocks.push_back(info);
  TElementDesc click;
  click.Kind = ekClick;
  click.Id = 1;
  TOccurrenceDesc toPage2;
  toPage2.Placement = {0, 0, 320, 340};
  toPage2.Action = 2;
  click.Occurrences = {toPage2};
  f.Blocks.push_back(click);
  TPageDesc background;
  background.Colour = 0x202020;
  TPageDesc page1;
  page1.Colour = 0x3050C0;
  page1.Refs = {{1, 1, 0}};
  TPageDesc page2;
  page2.Colour = 0x40A040;
  f.Blocks.push_back(background);
  f.Blocks.push_back(page1);
  f.Blocks.push_back(page2);
  try {
    WriteFlyerFile(f, argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
