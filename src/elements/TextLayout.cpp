#include "elements/TextLayout.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "elements/TCKbTekst.h"

namespace qrl {

namespace {

// How many characters of piece start the next output line: as many as fit in avail pixels,
// ending before a space; a first word too wide for the line is taken whole.
std::size_t BreakLength(std::string_view piece, const TTextMeasurer& measurer, const TFontSpec& font,
                        std::int64_t avail) {
  std::size_t n = piece.size();
  std::size_t lastTried = n;
  while (n > 0 && measurer.TextWidth(font, piece.substr(0, n)) > avail) {
    lastTried = n;
    const std::size_t space = piece.rfind(' ', n - 1);
    n = space == std::string_view::npos ? 0 : space;
  }
  return n == 0 ? lastTried : n;
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
  const TParagraphs paragraphs = SplitParagraphs(tekst.Lines);
  ReflowLines(paragraphs, tekst.Lines, measurer, tekst.Font, 0, placement.Width);
  placement.Windowed = false;
  if (!tekst.ScrollAllowed) return;
  const auto height = static_cast<std::int64_t>(tekst.Lines.size()) * measurer.LineHeight(tekst.Font);
  if (height > std::int64_t{placement.Height} - 2) {
    ReflowLines(paragraphs, tekst.Lines, measurer, tekst.Font, kScrollBarAllowance, placement.Width);
    placement.Windowed = true;
  }
}

}  // namespace qrl
