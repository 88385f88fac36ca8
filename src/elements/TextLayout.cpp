#include "elements/TextLayout.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <vector>

#include "elements/TCKbTekst.h"

namespace qrl {

namespace {

// How many characters of piece start the next output line: the longest prefix that fits in avail
// pixels and ends before a space (after the first character) or at the piece's end; when none
// fits, the shortest such prefix, so a first word too wide for the line is taken whole. Widths
// grow with the prefix, so a doubling probe bounds the search and a binary search over the
// spaces below the bound finds the break.
std::size_t BreakLength(std::string_view piece, const TTextMeasurer& measurer, const TFontSpec& font,
                        std::int64_t avail) {
  const auto fits = [&](std::size_t n) { return measurer.TextWidth(font, piece.substr(0, n)) <= avail; };
  constexpr std::size_t kFirstProbe = 32;
  std::size_t bound = std::min(piece.size(), kFirstProbe);
  while (bound < piece.size() && fits(bound)) bound = std::min(piece.size(), bound * 2);

  std::vector<std::size_t> candidates;
  for (std::size_t i = 1; i < bound; ++i)
    if (piece[i] == ' ') candidates.push_back(i);
  if (bound == piece.size()) candidates.push_back(piece.size());

  std::size_t fitting = 0;  // candidates[0, fitting) fit
  std::size_t high = candidates.size();
  while (fitting < high) {
    const std::size_t middle = fitting + (high - fitting) / 2;
    if (fits(candidates[middle]))
      fitting = middle + 1;
    else
      high = middle;
  }
  if (fitting > 0) return candidates[fitting - 1];
  if (!candidates.empty()) return candidates.front();
  const std::size_t space = piece.find(' ', 1);
  return space == std::string_view::npos ? piece.size() : space;
}

// The re-flow of the element's stored lines for one bar and placement width, made once.
const TSharedLines& Reflowed(TCKbTekst& tekst, const TTextMeasurer& measurer, int barWidth, int width) {
  const auto key = std::make_tuple(tekst.Font.Height, barWidth, width);
  if (const auto it = tekst.Reflows.find(key); it != tekst.Reflows.end()) return it->second;
  TStrings lines;
  ReflowLines(SplitParagraphs(tekst.StoredLines), lines, measurer, tekst.Font, barWidth, width);
  return tekst.Reflows.emplace(key, TSharedLines(std::move(lines))).first->second;
}

}  // namespace

TParagraphs SplitParagraphs(const TStrings& lines) {
  TParagraphs paragraphs;
  TStrings current;
  for (const std::string& line : lines) {
    if (!line.empty() && line.back() == kParagraphEnd) {
      current.push_back(line.substr(0, line.size() - 1));
      paragraphs.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(line);
    }
  }
  if (!current.empty()) paragraphs.push_back(std::move(current));
  return paragraphs;
}

void ReflowLines(const TParagraphs& paragraphs, TStrings& lines, const TTextMeasurer& measurer,
                 const TFontSpec& font, int barWidth, int width) {
  const std::int64_t avail = std::max<std::int64_t>(0, std::int64_t{width} - 2 - barWidth);
  lines.clear();
  for (const TStrings& paragraph : paragraphs) {
    if (paragraph.empty() || (paragraph.size() == 1 && paragraph.front().empty())) lines.emplace_back();
    for (std::size_t i = 0; i < paragraph.size(); ++i) {
      std::string piece = i == 0 ? paragraph[i] : " " + paragraph[i];
      std::string_view rest = piece;
      while (!rest.empty()) {
        const std::size_t n = BreakLength(rest, measurer, font, avail);
        lines.emplace_back(rest.substr(0, n));
        rest.remove_prefix(std::min(rest.size(), n + 1));  // the break space goes
      }
    }
    lines.back().push_back(kParagraphEnd);
  }
}

void MeasureTekst(TCKbOccTekst& placement, const TTextMeasurer& measurer) {
  TCKbTekst& tekst = placement.Tekst();
  tekst.Lines = Reflowed(tekst, measurer, 0, placement.Width);
  placement.Windowed = false;
  if (!tekst.ScrollAllowed) return;
  const auto height = static_cast<std::int64_t>(tekst.Lines.size()) * measurer.LineHeight(tekst.Font);
  if (height > std::int64_t{placement.Height} - 2) {
    tekst.Lines = Reflowed(tekst, measurer, kScrollBarAllowance, placement.Width);
    placement.Windowed = true;
  }
}

}  // namespace qrl
