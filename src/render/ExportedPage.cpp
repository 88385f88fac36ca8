#include "render/ExportedPage.h"

#include <QFontMetrics>
#include <cstdio>
#include <optional>

#include "document/TFlyer.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbTekst.h"
#include "elements/WebLinkSafety.h"
#include "render/FlyerScale.h"
#include "render/RenderPage.h"

namespace qrl {

namespace {

const TTextMeasurer& MeasurerOf(const TCKbTekst& tekst) {
  if (tekst.Context().Measurer != nullptr) return *tekst.Context().Measurer;
  static const TQtTextMeasurer fallback;
  return fallback;
}

// The link a click placement on page index becomes; none for one that does nothing at all.
std::optional<TExportedLink> LinkOf(const TCKbOccClick& click, int index, int pageCount,
                                    std::vector<std::string>& dropped) {
  TExportedLink link;
  link.Left = click.Left;
  link.Top = click.Top;
  link.Width = click.Width;
  link.Height = click.Height;
  link.Ellipse = click.Click().Shape == kEllipseShape;
  link.Sound = click.ClickSound;
  const int action = click.Action;
  int target = 0;
  if (action >= 1) target = action;
  if (action == caNextPage) target = index + 1;
  if (action == caPreviousPage) target = index - 1;
  if (target >= 1 && target < pageCount) {
    link.Target = TLinkTarget::Page;
    link.Page = target;
  } else if (action == caClose) {
    link.Target = TLinkTarget::Close;
  } else if (action == caBack) {
    link.Target = TLinkTarget::Back;
  } else if (action == caForward) {
    link.Target = TLinkTarget::Forward;
  } else if (action == caWebLink && IsSafeWebLink(click.LinkText)) {
    link.Target = TLinkTarget::Web;
    link.Address = FromCp1252(click.LinkText).toStdString();
  } else {
    if (action == caWebLink) dropped.push_back(FromCp1252(click.LinkText).toStdString());
    // Leafing past either end, a missing page or an unknown action: at most the click sound.
    if (link.Sound == nullptr) return std::nullopt;
  }
  return link;
}

TExportedText TextOf(const TCKbOccTekst& placement) {
  const TCKbTekst& tekst = placement.Tekst();
  const TTextMeasurer& measurer = MeasurerOf(tekst);
  const QFont font = ToQFont(tekst.Font);
  TExportedText text;
  text.Left = placement.Left;
  text.Top = placement.Top;
  text.Width = placement.Width;
  text.Height = placement.Height;
  text.Scrolling = placement.Windowed;
  text.Font = tekst.Font;
  text.Family = font.family();
  text.LineHeight = measurer.LineHeight(tekst.Font);
  text.Ascent = QFontMetrics(font).ascent();
  text.BackColour = tekst.BackColour;
  text.Opaque = tekst.Opaque;
  text.Framed = tekst.Framed;
  text.Alignment = tekst.Alignment;
  const int border = tekst.Framed ? 1 : 0;
  const int room = placement.Width - 1;
  for (std::size_t i = 0; i < placement.Lines.size(); ++i) {
    const long long y = static_cast<long long>(i) * text.LineHeight + 1;
    // A text drawn into the page shows only the lines that start inside its box.
    if (!text.Scrolling && y > placement.Height - 2 * border) break;
    std::string_view line = placement.Lines[i];
    if (!line.empty() && line.back() == kParagraphEnd) line.remove_suffix(1);
    const int width = measurer.TextWidth(tekst.Font, line);
    int offset = 2;
    if (tekst.Alignment == taRight) offset = room - width;
    if (tekst.Alignment == taCentre) offset = (room - width) / 2;
    text.Lines.push_back({offset, static_cast<int>(y), width, FromCp1252(line)});
  }
  return text;
}

}  // namespace

QImage RenderPageAt(TFlyer& flyer, int index, int scale) {
  SetFlyerArea(flyer, flyer.FlyerWidth * scale, flyer.FlyerHeight * scale);
  QImage picture = RenderPage(flyer, index);
  SetFlyerArea(flyer, flyer.FlyerWidth, flyer.FlyerHeight);
  return picture;
}

TExportedPage ExportPage(TFlyer& flyer, int index, std::vector<std::string>& dropped) {
  TExportedPage page;
  page.Index = index;
  const int pageCount = static_cast<int>(flyer.Pages.size());
  SetFlyerArea(flyer, flyer.FlyerWidth, flyer.FlyerHeight);
  flyer.BuildPage(0);
  flyer.BuildPage(index);

  // Links and texts of the background page lie under the page's own, as they are drawn.
  for (const int source : {0, index}) {
    for (TCKbOccurrence* o : flyer.Pages[static_cast<std::size_t>(source)]->DrawList) {
      if (o == nullptr) continue;
      const int kind = o->Element().Kind();
      if (kind == kindClick) {
        if (auto link = LinkOf(static_cast<const TCKbOccClick&>(*o), index, pageCount, dropped))
          page.Links.push_back(std::move(*link));
      } else if (kind == kindText) {
        page.Texts.push_back(TextOf(static_cast<const TCKbOccTekst&>(*o)));
      }
    }
  }
  page.Sound = flyer.Pages[static_cast<std::size_t>(index)]->Sound;
  return page;
}

std::string HexColour(std::uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return text;
}

}  // namespace qrl
