// Flyers exported as web pages and as PDF documents: what the links become, that unsafe
// addresses never reach an output, that texts stay text, and the PDF's added structure.

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <fstream>
#include <set>

#include "elements/QtTextMeasurer.h"
#include "format/QuireleafException.h"
#include "render/ExportedPage.h"
#include "render/HtmlExport.h"
#include "render/PdfExport.h"
#include "render/PdfUpdate.h"
#include "tools/ToolsTestSupport.h"

namespace qrl::test {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file of a folder, read as one text.
std::string AllOf(const fs::path& folder) {
  std::string all;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) all += Text(entry.path());
  return all;
}

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApplication();
    dir_.Picture("red.png", 40, 40, QColor(220, 30, 30));
    const std::string manifest = dir_.Write("m.json", R"json({
      "canvas": {"width": 320, "height": 200},
      "info": {"Flyer Info": {"Title": "Export <test> & co", "Description": ["Two lines", "of description"]}},
      "note": {"lines": ["A note"], "at": [10, 10, 100, 50]},
      "elements": {
        "tick": {"kind": "sound", "bits": 8, "rate": 11025, "tone": {"notes": ["E6"], "noteSeconds": 0.05}},
        "red": {"kind": "picture", "file": "red.png"},
        "area": {"kind": "click"},
        "round": {"kind": "click", "shape": "ellipse"},
        "words": {"kind": "text", "size": 14, "background": "#FFFFFF", "paragraphs": ["Fish <&> chips", "Second"]},
        "story": {"kind": "text", "size": 13, "scrollable": true, "background": "#FFFFFF",
                  "paragraphs": ["one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "last line"]}
      },
      "pages": [
        {"name": "first", "colour": "#203040", "sound": "tick", "place": [
          {"element": "red", "at": [0, 0, 40, 40]},
          {"element": "words", "at": [50, 10, 200, 40]},
          {"element": "story", "at": [50, 60, 120, 40]},
          {"element": "round", "at": [0, 100, 40, 20], "goto": "second"},
          {"element": "area", "at": [40, 100, 10, 10], "action": "previous"},
          {"element": "area", "at": [50, 100, 10, 10], "action": "next", "sound": "tick"},
          {"element": "area", "at": [60, 100, 10, 10], "action": "back"},
          {"element": "area", "at": [70, 100, 10, 10], "action": "close"},
          {"element": "area", "at": [80, 100, 10, 10], "link": "https://example.org/a?b=1&c=2"},
          {"element": "area", "at": [90, 100, 10, 10], "link": "mailto:someone@example.org"},
          {"element": "area", "at": [100, 100, 10, 10], "link": "file:///etc/passwd"},
          {"element": "area", "at": [110, 100, 10, 10], "link": "javascript:alert(document.cookie)"},
          {"element": "area", "at": [120, 100, 10, 10], "action": "none", "sound": "tick"},
          {"element": "area", "at": [130, 100, 10, 10], "action": "none"}]},
        {"name": "second", "colour": "#405060", "place": [
          {"element": "area", "at": [0, 0, 10, 10], "action": "next"},
          {"element": "area", "at": [10, 0, 10, 10], "action": "forward"}]}
      ]})json");
    BuildFlyer(manifest, dir_.File("f.qrl"), measurer_, "");
    loaded_ = std::make_unique<LoadedFlyer>(dir_.File("f.qrl"), measurer_);
  }
  TFlyer& Flyer() { return *loaded_->Flyer; }

  TQtTextMeasurer measurer_;
  ManifestDir dir_;
  std::unique_ptr<LoadedFlyer> loaded_;
};

TEST_F(ExportTest, ClickAreasBecomeLinksAndOnlyWebAndMailAddressesSurvive) {
  std::vector<std::string> dropped;
  const TExportedPage first = ExportPage(Flyer(), 1, dropped);
  std::vector<std::pair<TLinkTarget, int>> targets;
  for (const auto& link : first.Links) targets.emplace_back(link.Target, link.Page);
  // Previous on the first page and an action without sound do nothing: no link at all.
  const std::vector<std::pair<TLinkTarget, int>> expected = {
      {TLinkTarget::Page, 2}, {TLinkTarget::Page, 2},      {TLinkTarget::Back, 0},
      {TLinkTarget::Close, 0}, {TLinkTarget::Web, 0},      {TLinkTarget::Web, 0},
      {TLinkTarget::SoundOnly, 0}};
  EXPECT_EQ(targets, expected);
  EXPECT_TRUE(first.Links[0].Ellipse);
  EXPECT_EQ(first.Links[0].Top, 100);
  EXPECT_NE(first.Links[1].Sound, nullptr);
  EXPECT_EQ(first.Links[4].Address, "https://example.org/a?b=1&c=2");
  EXPECT_EQ(first.Links[5].Address, "mailto:someone@example.org");
  EXPECT_EQ(dropped, (std::vector<std::string>{"file:///etc/passwd", "javascript:alert(document.cookie)"}));
  EXPECT_NE(first.Sound, nullptr);

  // Next on the last page leads nowhere; forward stays.
  const TExportedPage second = ExportPage(Flyer(), 2, dropped);
  ASSERT_EQ(second.Links.size(), 1u);
  EXPECT_EQ(second.Links[0].Target, TLinkTarget::Forward);
}

TEST_F(ExportTest, TextsKeepTheirLinesWhereTheRendererDrawsThem) {
  std::vector<std::string> dropped;
  const TExportedPage first = ExportPage(Flyer(), 1, dropped);
  ASSERT_EQ(first.Texts.size(), 2u);
  const TExportedText& words = first.Texts[0];
  EXPECT_FALSE(words.Scrolling);
  ASSERT_EQ(words.Lines.size(), 2u);
  EXPECT_EQ(words.Lines[0].Text, QStringLiteral("Fish <&> chips"));
  EXPECT_EQ(words.Lines[0].Left, 2);
  EXPECT_EQ(words.Lines[1].Top - words.Lines[0].Top, words.LineHeight);
  // A scrolling text keeps every line, also those below its box.
  const TExportedText& story = first.Texts[1];
  EXPECT_TRUE(story.Scrolling);
  ASSERT_EQ(story.Lines.size(), 10u);
  EXPECT_EQ(story.Lines.back().Text, QStringLiteral("last line"));
}

TEST_F(ExportTest, WebFolderHoldsEveryPageEscapedWithItsPicturesAndSoundsButNoUnsafeAddress) {
  std::vector<std::string> dropped;
  const fs::path out = dir_.Dir().Path() / "web";
  fs::create_directory(out);
  ExportHtml(Flyer(), out.string(), dropped);
  for (const char* file : {"index.html", "page1.html", "page2.html", "flyer.css", "flyer.js", "pictures/page1.png",
                           "pictures/page1@2x.png", "pictures/page2.png", "sounds/sound1.wav"})
    EXPECT_TRUE(fs::exists(out / file)) << file;
  EXPECT_EQ(QImage(QString::fromStdString((out / "pictures/page1@2x.png").string())).size(), QSize(640, 400));
  EXPECT_EQ(Text(out / "sounds/sound1.wav").substr(0, 4), "RIFF");

  const std::string page = Text(out / "page1.html");
  EXPECT_NE(page.find("Fish &lt;&amp;&gt; chips"), std::string::npos);
  EXPECT_NE(page.find(">last line<"), std::string::npos);
  EXPECT_NE(page.find("href=\"page2.html\""), std::string::npos);
  EXPECT_NE(page.find("href=\"https://example.org/a?b=1&amp;c=2\""), std::string::npos);
  EXPECT_NE(page.find("data-sound=\"sounds/sound1.wav\""), std::string::npos);
  EXPECT_NE(page.find("<title>Export &lt;test&gt; &amp; co"), std::string::npos);
  const std::string index = Text(out / "index.html");
  EXPECT_NE(index.find("Two lines\nof description"), std::string::npos);
  EXPECT_NE(index.find("A note"), std::string::npos);
  EXPECT_TRUE(IsHtmlExport(out.string()));

  const std::string all = AllOf(out);
  EXPECT_EQ(all.find("passwd"), std::string::npos);
  EXPECT_EQ(all.find("cookie"), std::string::npos);
  EXPECT_EQ(all.find("http://"), std::string::npos) << "nothing is fetched from anywhere";
}

TEST_F(ExportTest, PdfCarriesLinksAndPropertiesInAnUpdateAfterTheWritersOwnFile) {
  std::vector<std::string> dropped;
  const std::string pdf = dir_.File("f.pdf");
  ExportPdf(Flyer(), pdf, dropped);
  const std::string bytes = Text(pdf);
  ASSERT_EQ(bytes.rfind("%%EOF\n"), bytes.size() - 6);
  EXPECT_EQ(bytes.find("%%EOF"), bytes.rfind("%%EOF", bytes.size() - 7)) << "one update after the original";
  EXPECT_NE(bytes.find("/Prev "), std::string::npos);
  EXPECT_NE(bytes.find("/Annots"), std::string::npos);
  EXPECT_NE(bytes.find("/URI (https://example.org/a?b=1&c=2)"), std::string::npos);
  EXPECT_NE(bytes.find("/URI (mailto:someone@example.org)"), std::string::npos);
  EXPECT_NE(bytes.find("/N /GoBack"), std::string::npos);
  EXPECT_NE(bytes.find("/Fit]"), std::string::npos);
  EXPECT_EQ(bytes.find("passwd"), std::string::npos);
  EXPECT_EQ(bytes.find("javascript"), std::string::npos);
  EXPECT_EQ(dropped.size(), 2u);
}

TEST(PdfUpdateTest, FilesOfAnotherShapeAreRefusedUnchanged) {
  TempDir dir;
  const std::string path = dir.File("x.pdf");
  std::ofstream(path) << "%PDF-1.4\nnot really\n";
  const std::string before = Text(path);
  EXPECT_THROW(AppendPdfUpdate(path, {}), EFileError);
  EXPECT_EQ(Text(path), before);
  EXPECT_THROW(AppendPdfUpdate(dir.File("missing.pdf"), {}), EFileError);
}

TEST(PdfUpdateTest, NamesEscapeWhatIsNotRegular) {
  EXPECT_EQ(PdfName("Flyer Info Title"), "/Flyer#20Info#20Title");
  EXPECT_EQ(PdfName("a/b#(c)"), "/a#2Fb#23#28c#29");
  EXPECT_EQ(PdfName("\xC3\xA9"), "/#C3#A9");
}

}  // namespace
}  // namespace qrl::test
