#include "render/PdfExport.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QUrl>

#include "document/TFlyer.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"
#include "render/DrawTekst.h"
#include "render/ExportedPage.h"
#include "render/FlyerScale.h"
#include "render/PdfUpdate.h"

namespace qrl {

namespace {

// One flyer pixel is one pixel of a 96 dpi screen; pictures go in at twice that.
constexpr int kDotsPerInch = 96;
constexpr double kPointsPerPixel = 72.0 / kDotsPerInch;
constexpr int kPictureScale = 2;

// The page as the player shows it, with its scrolling texts drawn at their first lines, since
// paper cannot scroll.
QImage PrintedPicture(TFlyer& flyer, int index) {
  QImage picture = RenderPageAt(flyer, index, kPictureScale);
  SetFlyerArea(flyer, flyer.FlyerWidth * kPictureScale, flyer.FlyerHeight * kPictureScale);
  {
    QPainter canvas(&picture);
    for (const int source : {0, index})
      for (TCKbOccurrence* o : flyer.Pages[static_cast<std::size_t>(source)]->DrawList)
        if (o != nullptr && o->Windowed && o->Element().Kind() == kindText) {
          // The text's own window clips what does not fit; here the box does.
          canvas.setClipRect(o->Left, o->Top, o->Width, o->Height);
          DrawTekst(static_cast<TCKbOccTekst&>(*o), canvas, 0, 0, o->Top, o->Left, kFullPaint, nullptr);
        }
  }
  SetFlyerArea(flyer, flyer.FlyerWidth, flyer.FlyerHeight);
  return picture;
}

// The lines lie over the picture where it shows them, in the renderer's font, but unpainted:
// a reader finds, selects and copies them while the picture stays what the player shows.
void DrawInvisibleText(QPainter& painter, const TExportedText& text) {
  QFont font = ToQFont(text.Font);
  painter.save();
  painter.setFont(font);
  painter.setPen(QColor(0, 0, 0, 0));
  painter.setClipRect(QRect(text.Left, text.Top, text.Width, text.Height));
  for (const auto& line : text.Lines)
    painter.drawText(QPointF(text.Left + line.Left, text.Top + line.Top + text.Ascent), line.Text);
  painter.restore();
}

TPdfLink PdfLinkOf(const TExportedLink& link, const TFlyer& flyer) {
  TPdfLink out;
  const double pageHeight = flyer.FlyerHeight * kPointsPerPixel;
  out.Rect = QRectF(link.Left * kPointsPerPixel, pageHeight - (link.Top + link.Height) * kPointsPerPixel,
                    link.Width * kPointsPerPixel, link.Height * kPointsPerPixel);
  switch (link.Target) {
    case TLinkTarget::Page:
      out.TargetPage = link.Page - 1;
      break;
    case TLinkTarget::Back:
      out.Named = "GoBack";
      break;
    case TLinkTarget::Forward:
      out.Named = "GoForward";
      break;
    case TLinkTarget::Web:
      out.Uri = QUrl(QString::fromStdString(link.Address)).toEncoded().toStdString();
      break;
    default:
      break;
  }
  return out;
}

bool Linkable(const TExportedLink& link) {
  return link.Target == TLinkTarget::Page || link.Target == TLinkTarget::Back ||
         link.Target == TLinkTarget::Forward || link.Target == TLinkTarget::Web;
}

QString Lines(const TStrings& lines) {
  QStringList parts;
  for (const auto& line : lines) parts << FromCp1252(line);
  return parts.join(QLatin1Char('\n'));
}

std::vector<std::pair<std::string, QString>> InfoOf(const TFlyer& flyer) {
  std::vector<std::pair<std::string, QString>> info = {{"Title", FromCp1252(flyer.FlyerTitle)}};
  if (const TTextSection* first = flyer.InfoSections.empty() ? nullptr : flyer.InfoSections.front().get()) {
    const int at = first->IndexOf("Description");
    if (at >= 0) info.emplace_back("Subject", Lines(first->Value(at)));
  }
  info.emplace_back("Creator", QStringLiteral("qrltool export"));
  info.emplace_back("Producer", QStringLiteral("Quireleaf Player"));
  // Every information entry as a property of its own, named after its section and key.
  for (const auto& section : flyer.InfoSections)
    for (int i = 0; i < section->Count(); ++i)
      info.emplace_back((FromCp1252(section->Name) + QLatin1Char(' ') + FromCp1252(section->Key(i))).toStdString(),
                        Lines(section->Value(i)));
  if (!flyer.NoteLines.empty()) info.emplace_back("Note", Lines(flyer.NoteLines));
  return info;
}

}  // namespace

void ExportPdf(TFlyer& flyer, const std::string& path, std::vector<std::string>& dropped) {
  TPdfUpdate update;
  {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(kDotsPerInch);
    writer.setCreator(QStringLiteral("qrltool export"));
    writer.setTitle(FromCp1252(flyer.FlyerTitle));
    const QSizeF points(flyer.FlyerWidth * kPointsPerPixel, flyer.FlyerHeight * kPointsPerPixel);
    writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) throw EFileError("Cannot write \"" + path + "\"");
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const QRectF area(0, 0, flyer.FlyerWidth, flyer.FlyerHeight);
    for (int n = 1; n < static_cast<int>(flyer.Pages.size()); ++n) {
      if (n > 1) writer.newPage();
      painter.drawImage(area, PrintedPicture(flyer, n));
      const TExportedPage page = ExportPage(flyer, n, dropped);
      for (const auto& text : page.Texts) DrawInvisibleText(painter, text);
      auto& links = update.PageLinks.emplace_back();
      for (const auto& link : page.Links)
        if (Linkable(link)) links.push_back(PdfLinkOf(link, flyer));
    }
    if (!painter.end()) throw EFileError("Cannot write \"" + path + "\"");
  }
  update.Info = InfoOf(flyer);
  AppendPdfUpdate(path, update);
}

}  // namespace qrl
