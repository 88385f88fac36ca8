#include "render/HtmlExport.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QString>
#include <filesystem>
#include <fstream>
#include <map>

#include "document/TFlyer.h"
#include "elements/QtTextMeasurer.h"
#include "elements/TCKbSound.h"
#include "format/QuireleafException.h"
#include "render/ExportedPage.h"
#include "render/HtmlAssets.h"

namespace qrl {

namespace fs = std::filesystem;

namespace {

// Pictures for high-density screens are drawn at this multiple of the flyer's size.
constexpr int kDenseScale = 2;

QString Esc(const QString& text) { return text.toHtmlEscaped(); }
QString Esc(const std::string& utf8) { return QString::fromStdString(utf8).toHtmlEscaped(); }

void WriteBytes(const fs::path& path, const QByteArray& bytes) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
    throw EFileError("Cannot write \"" + path.string() + "\": " + file.errorString().toStdString());
}

void WritePng(const fs::path& path, const QImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG")) throw EFileError("Cannot encode the picture \"" + path.string() + "\"");
  WriteBytes(path, bytes);
}

QString Joined(const TStrings& lines, const char* separator) {
  QStringList parts;
  for (const auto& line : lines) parts << FromCp1252(line);
  return parts.join(QString::fromLatin1(separator));
}

// A length in flyer pixels as a share of the stage's width, so that it scales with the stage.
QString Units(double pixels, int flyerWidth) {
  return QStringLiteral("calc(%1 * 100cqw / %2)").arg(pixels).arg(flyerWidth);
}

QString Box(int left, int top, int width, int height, const TFlyer& flyer) {
  const double w = flyer.FlyerWidth, h = flyer.FlyerHeight;
  return QStringLiteral("left:%1%;top:%2%;width:%3%;height:%4%")
      .arg(100.0 * left / w)
      .arg(100.0 * top / h)
      .arg(100.0 * width / w)
      .arg(100.0 * height / h);
}

// The sound files, one per sound element, named after its id.
class TSoundFiles {
 public:
  explicit TSoundFiles(const fs::path& folder) : folder_(folder) {}

  // The page-relative address of the placement's WAVE file, copied on first use; "" without one.
  QString Address(const TCKbOccSound* sound) {
    if (sound == nullptr || sound->Owner().WaveFileName.empty()) return {};
    const TCKbSound* owner = &sound->Owner();
    auto it = names_.find(owner);
    if (it == names_.end()) {
      const std::string name = "sounds/sound" + std::to_string(names_.size() + 1) + ".wav";
      fs::create_directories(folder_ / "sounds");
      std::error_code ec;
      fs::copy_file(owner->WaveFileName, folder_ / name, fs::copy_options::overwrite_existing, ec);
      if (ec) throw EFileError("Cannot copy the sound \"" + owner->WaveFileName + "\": " + ec.message());
      // The flyer's temporary files are private; the export is meant to be shared.
      fs::permissions(folder_ / name, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                          fs::perms::others_read, ec);
      it = names_.emplace(owner, name).first;
    }
    return QString::fromStdString(it->second);
  }

 private:
  fs::path folder_;
  std::map<const TCKbSound*, std::string> names_;
};

QString SoundAttributes(TSoundFiles& sounds, const TCKbOccSound* sound) {
  const QString address = sounds.Address(sound);
  if (address.isEmpty()) return {};
  return QStringLiteral(" data-sound=\"%1\" data-loop=\"%2\"").arg(Esc(address), sound->Loop ? "1" : "0");
}

QString Head(const TFlyer& flyer, const QString& title) {
  QString html = QStringLiteral(
                     "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                     "<meta name=\"generator\" content=\"%1\">\n<title>%2</title>\n")
                     .arg(QString::fromLatin1(kHtmlGenerator), Esc(title));
  const std::string description = flyer.InfoValue("Flyer Info", "Description");
  if (!description.empty())
    html += QStringLiteral("<meta name=\"description\" content=\"%1\">\n").arg(Esc(FromCp1252(description)));
  for (const auto& section : flyer.InfoSections)
    for (int i = 0; i < section->Count(); ++i)
      html += QStringLiteral("<meta name=\"flyer:%1:%2\" content=\"%3\">\n")
                  .arg(Esc(FromCp1252(section->Name)), Esc(FromCp1252(section->Key(i))),
                       Esc(Joined(section->Value(i), "\n")));
  if (!flyer.NoteLines.empty())
    html += QStringLiteral("<meta name=\"flyer:note\" content=\"%1\">\n").arg(Esc(Joined(flyer.NoteLines, "\n")));
  html += QStringLiteral("<link rel=\"stylesheet\" href=\"flyer.css\">\n");
  return html;
}

QString TextHtml(const TExportedText& text, const TFlyer& flyer) {
  const int w = flyer.FlyerWidth;
  QString classes = QStringLiteral("text");
  QString style = Box(text.Left, text.Top, text.Width, text.Height, flyer);
  style += QStringLiteral(";font-family:'%1';font-size:%2;line-height:%3")
               .arg(text.Family, Units(std::abs(text.Font.Height), w), Units(text.LineHeight, w));
  if (text.Font.Bold) style += QStringLiteral(";font-weight:bold");
  if (text.Font.Italic) style += QStringLiteral(";font-style:italic");
  if (text.Font.Underline || text.Font.StrikeOut)
    style += QStringLiteral(";text-decoration:%1%2")
                 .arg(text.Font.Underline ? "underline " : "", text.Font.StrikeOut ? "line-through" : "");
  QString html;
  if (text.Scrolling) {
    classes += QStringLiteral(" scrolling");
    if (text.Framed) classes += QStringLiteral(" framed");
    style += QStringLiteral(";color:%1").arg(QString::fromStdString(HexColour(text.Font.Color)));
    if (text.Opaque) style += QStringLiteral(";background:%1").arg(QString::fromStdString(HexColour(text.BackColour)));
    const char* align = text.Alignment == 1 ? "right" : text.Alignment == 2 ? "center" : "left";
    style += QStringLiteral(";text-align:%1;padding:%2 %3 0 %3").arg(align, Units(1, w), Units(2, w));
    html += QStringLiteral("<div class=\"%1\" style=\"%2\" tabindex=\"0\">").arg(classes, style);
    for (const auto& line : text.Lines)
      html += QStringLiteral("<div class=\"line\" style=\"height:%1\">%2</div>")
                  .arg(Units(text.LineHeight, w), Esc(line.Text));
  } else {
    // The picture shows the text; the lines lie over it, invisible but there to select, search
    // and read aloud.
    html += QStringLiteral("<div class=\"%1\" style=\"%2\">").arg(classes, style);
    for (const auto& line : text.Lines)
      html += QStringLiteral("<div class=\"line\" style=\"left:%1;top:%2\">%3</div>")
                  .arg(Units(line.Left, w), Units(line.Top, w), Esc(line.Text));
  }
  return html + QStringLiteral("</div>\n");
}

QString LinkHtml(const TExportedLink& link, const TFlyer& flyer, TSoundFiles& sounds) {
  QString classes = QStringLiteral("area");
  if (link.Ellipse) classes += QStringLiteral(" ellipse");
  QString attributes;
  switch (link.Target) {
    case TLinkTarget::Page:
      attributes = QStringLiteral(" href=\"%1\" aria-label=\"Page %2\" data-leaves=\"1\"")
                       .arg(QString::fromStdString(HtmlPageName(link.Page)))
                       .arg(link.Page);
      break;
    case TLinkTarget::Back:
      attributes = QStringLiteral(" href=\"#\" data-action=\"back\" aria-label=\"Back\" data-leaves=\"1\"");
      break;
    case TLinkTarget::Forward:
      attributes = QStringLiteral(" href=\"#\" data-action=\"forward\" aria-label=\"Forward\" data-leaves=\"1\"");
      break;
    case TLinkTarget::Close:
      classes += QStringLiteral(" close");
      attributes = QStringLiteral(" href=\"index.html\" aria-label=\"Close\" data-leaves=\"1\"");
      break;
    case TLinkTarget::Web:
      attributes = QStringLiteral(" href=\"%1\" title=\"%1\" target=\"_blank\" rel=\"noopener noreferrer\"")
                       .arg(Esc(link.Address));
      break;
    case TLinkTarget::SoundOnly:
      attributes = QStringLiteral(" role=\"button\" tabindex=\"0\" data-action=\"none\" aria-label=\"Sound\"");
      break;
  }
  return QStringLiteral("<a class=\"%1\" style=\"%2\"%3%4></a>\n")
      .arg(classes, Box(link.Left, link.Top, link.Width, link.Height, flyer), attributes,
           SoundAttributes(sounds, link.Sound));
}

// A leafing link of the bar; hidden ones still serve the keys.
QString BarLink(const char* id, const QString& caption, int page, bool enabled, bool shown) {
  const QString hidden = shown ? QString() : QStringLiteral(" hidden");
  if (!enabled) return QStringLiteral("<a id=\"%1\" aria-disabled=\"true\"%2>%3</a>").arg(id, hidden, caption);
  return QStringLiteral("<a id=\"%1\" href=\"%2\"%3>%4</a>")
      .arg(id, QString::fromStdString(HtmlPageName(page)), hidden, caption);
}

QString PageHtml(const TFlyer& flyer, const TExportedPage& page, TSoundFiles& sounds) {
  const int last = static_cast<int>(flyer.Pages.size()) - 1;
  const int n = page.Index;
  const QString title = FromCp1252(flyer.FlyerTitle);
  QString html = Head(flyer, QStringLiteral("%1 \u2013 page %2 of %3").arg(title).arg(n).arg(last));
  if (n > 1) html += QStringLiteral("<link rel=\"prev\" href=\"%1\">\n").arg(QString::fromStdString(HtmlPageName(n - 1)));
  if (n < last) html += QStringLiteral("<link rel=\"next\" href=\"%1\">\n").arg(QString::fromStdString(HtmlPageName(n + 1)));
  html += QStringLiteral("</head>\n<body class=\"page\"%1>\n<div class=\"fit\">\n").arg(SoundAttributes(sounds, page.Sound));
  html += QStringLiteral("<main class=\"stage\" style=\"--w:%1;--h:%2\">\n").arg(flyer.FlyerWidth).arg(flyer.FlyerHeight);
  const QString picture = QStringLiteral("pictures/page%1").arg(n);
  html += QStringLiteral("<img src=\"%1.png\" srcset=\"%1.png 1x, %1@2x.png 2x\" alt=\"\">\n").arg(picture);
  for (const auto& text : page.Texts) html += TextHtml(text, flyer);
  for (const auto& link : page.Links) html += LinkHtml(link, flyer, sounds);
  html += QStringLiteral("</main>\n</div>\n<nav class=\"bar\">\n");
  const TNavBarVisibility shown = flyer.NavBarVisibility().value_or(TNavBarVisibility{});
  // Hidden first and last links keep Home and End working whatever the bar shows.
  html += QStringLiteral("<a id=\"first\" href=\"%1\" hidden></a><a id=\"last\" href=\"%2\" hidden></a>\n")
              .arg(QString::fromStdString(HtmlPageName(1)), QString::fromStdString(HtmlPageName(last)));
  html += BarLink("previous", QStringLiteral("\u25C0 Previous"), n - 1, n > 1, shown.PageButtons);
  html += QStringLiteral("\n<span class=\"where\">%1 / %2</span>\n").arg(n).arg(last);
  html += BarLink("next", QStringLiteral("Next \u25B6"), n + 1, n < last, shown.PageButtons);
  html += QStringLiteral("\n");
  if (shown.Mute) html += QStringLiteral("<button id=\"mute\" type=\"button\" aria-pressed=\"false\">Sound on</button>\n");
  html += QStringLiteral("<a id=\"info\" href=\"index.html\"%1>Info</a>\n").arg(shown.Info ? "" : " hidden");
  html += QStringLiteral("</nav>\n<script src=\"flyer.js\"></script>\n</body>\n</html>\n");
  return html;
}

QString IndexHtml(const TFlyer& flyer) {
  const QString title = FromCp1252(flyer.FlyerTitle);
  QString html = Head(flyer, title);
  html += QStringLiteral("</head>\n<body class=\"info\">\n<main>\n<h1>%1</h1>\n").arg(Esc(title));
  for (const auto& section : flyer.InfoSections) {
    html += QStringLiteral("<section>\n<h2>%1</h2>\n<dl>\n").arg(Esc(FromCp1252(section->Name)));
    for (int i = 0; i < section->Count(); ++i)
      html += QStringLiteral("<dt>%1</dt><dd>%2</dd>\n")
                  .arg(Esc(FromCp1252(section->Key(i))), Esc(Joined(section->Value(i), "\n")));
    html += QStringLiteral("</dl>\n</section>\n");
  }
  if (!flyer.NoteLines.empty())
    html += QStringLiteral("<section>\n<h2>Note</h2>\n<p class=\"note\">%1</p>\n</section>\n")
                .arg(Esc(Joined(flyer.NoteLines, "\n")));
  html += QStringLiteral("<section>\n<h2>Pages</h2>\n<ol>\n");
  for (int n = 1; n < static_cast<int>(flyer.Pages.size()); ++n)
    html += QStringLiteral("<li><a href=\"%1\"><img src=\"pictures/page%2.png\" alt=\"\">Page %2</a></li>\n")
                .arg(QString::fromStdString(HtmlPageName(n)))
                .arg(n);
  html += QStringLiteral("</ol>\n</section>\n</main>\n</body>\n</html>\n");
  return html;
}

}  // namespace

std::string HtmlPageName(int index) { return "page" + std::to_string(index) + ".html"; }

bool IsHtmlExport(const std::string& folder) {
  std::ifstream index(fs::path(folder) / "index.html");
  std::string head(4096, '\0');
  index.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(index.gcount()));
  return head.find(std::string("<meta name=\"generator\" content=\"") + kHtmlGenerator + "\">") != std::string::npos;
}

void ExportHtml(TFlyer& flyer, const std::string& folder, std::vector<std::string>& dropped) {
  const fs::path root(folder);
  fs::create_directories(root / "pictures");
  TSoundFiles sounds(root);
  for (int n = 1; n < static_cast<int>(flyer.Pages.size()); ++n) {
    const std::string picture = "pictures/page" + std::to_string(n);
    WritePng(root / (picture + "@2x.png"), RenderPageAt(flyer, n, kDenseScale));
    WritePng(root / (picture + ".png"), RenderPageAt(flyer, n, 1));
    WriteBytes(root / HtmlPageName(n), PageHtml(flyer, ExportPage(flyer, n, dropped), sounds).toUtf8());
  }
  WriteBytes(root / "index.html", IndexHtml(flyer).toUtf8());
  WriteBytes(root / "flyer.css", QByteArray(kFlyerCss));
  WriteBytes(root / "flyer.js", QByteArray(kFlyerJs));
}

}  // namespace qrl
