#pragma once
// Small flyers crafted as an attacker would, each aimed at one way a loader can be made to take
// far more time or memory than the file's size suggests: long texts re-measured word by word,
// text placements re-flowing each other's lines or copying them, page tables sized by the
// highest page number, pictures placed far larger than any screen, and information sections
// with tens of thousands of keys. scale multiplies what makes each one expensive, so the same
// flyer can be tried at ten times its size. The fuzz seeds, the loader tests and the
// measurements write them from here.

#include <cstdint>
#include <string>
#include <vector>

#include "document/FlyerDescription.h"
#include "format/Dib.h"
#include "fif/FifEncoder.h"

namespace qrl::test {

struct TCraftedFlyer {
  const char* Name;
  TFlyerDesc (*Make)(int scale);
};

namespace crafted {

inline constexpr std::int16_t kPlainText = 0x0003;       // opaque and framed
inline constexpr std::int16_t kScrollingText = 0x0007;   // may scroll: re-flows a second time
inline constexpr std::int32_t kPictureSide = 5792;

inline TOccurrenceDesc Placed(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  TOccurrenceDesc o;
  o.Placement = {left, top, width, height};
  return o;
}

// The information block (with `sections` after the title), the elements, the background page
// and `pages` pages, the first of which holds `firstPage`.
inline TFlyerDesc Assemble(std::vector<TElementDesc> elements, std::vector<TPageRefDesc> firstPage,
                           int pages = 1, std::vector<TInfoSectionDesc> sections = {}) {
  TFlyerDesc flyer;
  flyer.Header.FormatCode = 106;
  TInfoDesc info;
  info.Sections = {{0, "Flyer Info", {{"Title", {"Crafted"}}}}};
  for (auto& section : sections) info.Sections.push_back(std::move(section));
  flyer.Blocks.push_back(std::move(info));
  for (auto& element : elements) flyer.Blocks.push_back(std::move(element));
  flyer.Blocks.push_back(TPageDesc{});
  TPageDesc first;
  first.Refs = std::move(firstPage);
  flyer.Blocks.push_back(std::move(first));
  for (int page = 2; page <= pages; ++page) flyer.Blocks.push_back(TPageDesc{});
  return flyer;
}

inline TElementDesc TextElement(std::uint16_t id, std::int16_t flags, TStrings lines) {
  TElementDesc text;
  text.Kind = ekText;
  text.Id = id;
  text.TextFlags = flags;
  text.Lines = std::move(lines);
  return text;
}

// n words of varying length separated by single spaces.
inline std::string Words(int n) {
  static const char* const kWords[] = {"ab", "flyer", "quire", "leaf", "page", "fractal", "text", "scroll"};
  std::string text;
  for (int i = 0; i < n; ++i) {
    if (i > 0) text += ' ';
    text += kWords[i % 8];
  }
  return text;
}

// Every placement of element `id` on page 1.
inline std::vector<TPageRefDesc> AllOnPage(std::uint16_t id, std::size_t placements) {
  std::vector<TPageRefDesc> refs;
  for (std::size_t i = 1; i <= placements; ++i) refs.push_back({id, static_cast<std::uint16_t>(i), 0});
  return refs;
}

inline TBytes TinyPicture() {
  TDib picture(8, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8 * 3; ++x) picture.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 10 + y * 40);
  return EncodeFif(picture);
}

}  // namespace crafted

// One stored line of 2500 words in a placement 40 pixels wide: nearly a line per word.
inline TFlyerDesc LongLineText(int scale) {
  TElementDesc text = crafted::TextElement(1, crafted::kPlainText, {crafted::Words(2500 * scale)});
  text.Occurrences = {crafted::Placed(10, 10, 40, 300)};
  return crafted::Assemble({text}, crafted::AllOnPage(1, 1));
}

// A 100-word text wrapped in two lines and placed 2000 times at one size: every placement must
// wrap it alike.
inline TFlyerDesc ManyPlacementsOfOneText(int scale) {
  TElementDesc text = crafted::TextElement(1, crafted::kScrollingText, {crafted::Words(50), crafted::Words(50)});
  const auto placements = static_cast<std::size_t>(2000 * scale);
  for (std::size_t i = 0; i < placements; ++i)
    text.Occurrences.push_back(crafted::Placed(static_cast<std::int32_t>(i % 20) * 30, 20, 160, 40));
  return crafted::Assemble({text}, crafted::AllOnPage(1, placements));
}

// A text of 100 KB placed 3000 times, 30 placements to a page.
inline TFlyerDesc LongTextManyPlacements(int scale) {
  TStrings lines;
  for (int i = 0; i < 1000; ++i) lines.push_back(crafted::Words(19) + (i % 10 == 9 ? "\xA0" : ""));
  TElementDesc text = crafted::TextElement(1, crafted::kScrollingText, std::move(lines));
  const int placements = 3000 * scale;
  constexpr int kPerPage = 30;
  TFlyerDesc flyer = crafted::Assemble({}, {});
  flyer.Blocks.pop_back();  // the pages follow below, once the placements are known
  for (int i = 0; i < placements; ++i)
    text.Occurrences.push_back(crafted::Placed(20 * (i % kPerPage), 10, 200 + 10 * (i % 3), 100));
  flyer.Blocks.insert(flyer.Blocks.begin() + 1, std::move(text));
  for (int first = 1; first <= placements; first += kPerPage) {
    TPageDesc page;
    for (int i = first; i < first + kPerPage && i <= placements; ++i)
      page.Refs.push_back({1, static_cast<std::uint16_t>(i), 0});
    flyer.Blocks.push_back(std::move(page));
  }
  return flyer;
}

// 32767 click areas, all of them on page 30000. Ten times: ten such elements on ten pages.
inline TFlyerDesc PlacementsOnPage30000(int scale) {
  constexpr std::size_t kPlacements = 32767;
  constexpr int kFarPage = 30000;
  std::vector<TElementDesc> elements;
  for (int e = 1; e <= scale; ++e) {
    TElementDesc click;
    click.Kind = ekClick;
    click.Id = static_cast<std::uint16_t>(e);
    click.Occurrences.assign(kPlacements, crafted::Placed(0, 0, 20, 20));
    elements.push_back(std::move(click));
  }
  TFlyerDesc flyer = crafted::Assemble(std::move(elements), {}, kFarPage + scale - 1);
  for (int e = 1; e <= scale; ++e) {
    // The background page comes first: page n is the block after it, n places further on.
    auto& page = std::get<TPageDesc>(flyer.Blocks[static_cast<std::size_t>(1 + scale + kFarPage + e - 1)]);
    page.Refs = crafted::AllOnPage(static_cast<std::uint16_t>(e), kPlacements);
  }
  return flyer;
}

// A tiny picture placed at 5792 x 5792 pixels `placements` times; ten times: ten such pictures.
inline TFlyerDesc HugePicturePlacements(int scale, std::size_t placements) {
  std::vector<TElementDesc> elements;
  std::vector<TPageRefDesc> refs;
  for (int e = 1; e <= scale; ++e) {
    TElementDesc image;
    image.Kind = ekImage;
    image.Id = static_cast<std::uint16_t>(e);
    image.PictureData = crafted::TinyPicture();
    for (std::size_t i = 0; i < placements; ++i)
      image.Occurrences.push_back(crafted::Placed(-static_cast<std::int32_t>(i) * 100, 0, crafted::kPictureSide,
                                                  crafted::kPictureSide));
    const auto id = static_cast<std::uint16_t>(e);
    for (const auto& ref : crafted::AllOnPage(id, placements)) refs.push_back(ref);
    elements.push_back(std::move(image));
  }
  return crafted::Assemble(std::move(elements), std::move(refs));
}

inline TFlyerDesc HugePicture(int scale) { return HugePicturePlacements(scale, 1); }
inline TFlyerDesc HugePictureFourTimes(int scale) { return HugePicturePlacements(scale, 4); }

// 65535 information items, as many as a section can hold; ten times: ten such sections.
inline TFlyerDesc ManyInformationItems(int scale) {
  constexpr int kItems = 65535;
  std::vector<TInfoSectionDesc> sections;
  for (int n = 1; n <= scale; ++n) {
    TInfoSectionDesc section{0, n == 1 ? "Special" : "Special " + std::to_string(n), {}};
    section.Items.reserve(kItems);
    for (int i = 0; i < kItems; ++i) section.Items.push_back({"Key" + std::to_string(i), {"value " + std::to_string(i)}});
    sections.push_back(std::move(section));
  }
  return crafted::Assemble({}, {}, 1, std::move(sections));
}

inline const std::vector<TCraftedFlyer>& CraftedFlyers() {
  static const std::vector<TCraftedFlyer> all = {
      {"long-line-text", LongLineText},
      {"many-placements-of-one-text", ManyPlacementsOfOneText},
      {"long-text-many-placements", LongTextManyPlacements},
      {"placements-on-page-30000", PlacementsOnPage30000},
      {"huge-picture", HugePicture},
      {"huge-picture-four-times", HugePictureFourTimes},
      {"many-information-items", ManyInformationItems},
  };
  return all;
}

}  // namespace qrl::test
