// Flyers built from manifests and loaded back as the player loads them: every name becomes the
// right id and occurrence, every action, sound and text arrives as the author meant it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "elements/ImaAdpcm.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbSound.h"
#include "elements/TCKbTekst.h"
#include "elements/WaveFile.h"
#include "tools/ToolsTestSupport.h"

namespace qrl::test {
namespace {

constexpr const char* kManifest = R"({
  "canvas": {"width": 320, "height": 200},
  "info": {"Flyer Info": {"Title": "Round trip", "Notes": ["one", "caf\u00e9 \u20ac"]},
           "Special": {"Creator": "tests"}},
  "navBar": {"close": false, "info": false},
  "note": {"lines": ["remember"], "at": [10, 20, 200, 100]},
  "elements": {
    "photo": {"kind": "picture", "file": "photo.png", "quality": 90},
    "key": {"kind": "picture", "file": "key.png"},
    "tile": {"kind": "picture", "file": "tile.png"},
    "body": {"kind": "text", "font": "Times New Roman", "size": 10, "colour": "#102030", "background": "#FFEEDD",
             "bold": true, "italic": true, "underline": true, "strikeOut": true, "framed": false,
             "align": "right", "paragraphs": ["aaa bbb ccc", ["ddd", "eee"], ""]},
    "scroll": {"kind": "text", "scrollable": true, "align": "centre",
               "paragraphs": ["one two three four five six"]},
    "slot": {"kind": "placeholder"},
    "rect": {"kind": "click"},
    "oval": {"kind": "click", "shape": "ellipse"},
    "music": {"kind": "sound", "file": "music.wav"},
    "blip": {"kind": "sound", "adpcm": true, "channels": 2, "rate": 11025,
             "tone": {"notes": ["A5"], "noteSeconds": 0.1}}
  },
  "background": {"colour": "#000000", "place": [
    {"element": "rect", "at": [0, 180, 40, 20], "action": "previous", "sound": "blip"}]},
  "pages": [
    {"name": "first", "colour": "#FF0000", "sound": {"element": "music", "loop": true}, "place": [
      {"element": "photo", "at": [0, 0, 100, 80], "name": "big-photo"},
      {"element": "key", "at": [10, 10, 50, 50], "keyed": "#00FF00"},
      {"element": "body", "at": [100, 0, 60, 100]},
      {"element": "rect", "at": [0, 0, 10, 10], "goto": "third", "sound": "blip"},
      {"element": "oval", "at": [20, 20, 30, 30], "link": "https://example.org/x"},
      {"element": "rect", "at": [0, 10, 10, 10], "action": "next"},
      {"element": "rect", "at": [0, 20, 10, 10], "action": "back"},
      {"element": "rect", "at": [0, 30, 10, 10], "action": "forward"},
      {"element": "rect", "at": [0, 40, 10, 10], "action": "close"},
      {"element": "rect", "at": [0, 50, 10, 10], "action": "none",
       "sound": {"element": "blip", "flag2": true, "value": 7}}]},
    {"name": "second", "place": [
      {"element": "tile", "at": [0, 0, 16, 16], "backdrop": true},
      {"use": "big-photo"},
      {"element": "photo", "at": [0, 100, 300, 50]},
      {"element": "scroll", "at": [0, 100, 50, 30]},
      {"element": "slot", "at": [200, 0, 20, 20]}]},
    {"name": "third", "sound": {"element": "music", "loop": true}, "place": [
      {"element": "body", "at": [0, 0, 200, 50]}]}
  ]
})";

class BuildRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApplication();
    ::unsetenv("QRL_PLACEHOLDER_DIR");
    dir_.Picture("photo.png", 60, 40, Qt::blue);
    dir_.Picture("key.png", 20, 20, Qt::green, 10, Qt::yellow);
    dir_.Picture("tile.png", 8, 8, Qt::gray);
    // 100 8-bit mono samples at 8000 Hz.
    std::vector<unsigned char> wave(kWaveHeaderSize);
    const auto header = MakeWaveHeader({1, 8000, 8}, 100);
    std::copy(header.begin(), header.end(), wave.begin());
    for (int i = 0; i < 100; ++i) wave.push_back(static_cast<unsigned char>(i * 2));
    WriteAll(dir_.File("music.wav"), wave);
  }

  std::string Build(const std::string& manifest, const std::string& output = "out.qrl") {
    const std::string path = dir_.Write("m.json", manifest);
    BuildFlyer(path, dir_.File(output), Fixed(), std::string(QRL_BINARY_DIR) + "/bin/quirekick.exe");
    return dir_.File(output);
  }

  ManifestDir dir_;
};

template <typename T>
T& Placed(TFlyer& flyer, int page, std::size_t ref) {
  const TOccRec& r = flyer.Pages.at(static_cast<std::size_t>(page))->Refs.at(ref);
  return static_cast<T&>(*r.Entry->Control->Occurrence(r.Number));
}

TEST_F(BuildRoundTripTest, HeaderInformationNavBarAndNote) {
  LoadedFlyer loaded(Build(kManifest));
  TFlyer& flyer = *loaded.Flyer;
  EXPECT_EQ(flyer.Header.FormatCode, 106);
  EXPECT_EQ(flyer.Header.NeededVersion, 120);
  EXPECT_EQ(flyer.FlyerWidth, 320);
  EXPECT_EQ(flyer.FlyerHeight, 200);
  EXPECT_EQ(flyer.FlyerTitle, "Round trip");
  EXPECT_EQ(flyer.InfoValue("Special", "Creator"), "tests");
  ASSERT_EQ(flyer.InfoSections.size(), 2u);
  EXPECT_EQ(flyer.InfoSections[0]->Value(1), (TStrings{"one", "caf\xE9 \x80"}));  // stored as Windows-1252
  EXPECT_EQ(flyer.NavBarVisibility(), (TNavBarVisibility{true, false, true, true, false}));
  EXPECT_EQ(flyer.NoteLines, TStrings{"remember"});
  EXPECT_EQ(flyer.NoteBounds, TNoteBounds::FromSize(10, 20, 200, 100));
}

TEST_F(BuildRoundTripTest, NamesBecomeIdsOccurrencesAndSharedPlacements) {
  LoadedFlyer loaded(Build(kManifest));
  TFlyer& flyer = *loaded.Flyer;
  // Ids follow the manifest's order of elements.
  ASSERT_EQ(flyer.Elements.size(), 10u);
  const std::vector<int> kinds{1, 1, 1, 3, 3, 3, 2, 2, 5, 5};
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    EXPECT_EQ(flyer.Elements[i]->Id, i + 1);
    EXPECT_EQ(flyer.Elements[i]->Kind, kinds[i]);
  }
  ASSERT_EQ(flyer.Pages.size(), 4u);
  const auto refs = [&](int page) {
    std::vector<std::pair<int, int>> list;
    for (const TOccRec& r : flyer.Pages[static_cast<std::size_t>(page)]->Refs) list.emplace_back(r.Entry->Id, r.Number);
    return list;
  };
  EXPECT_EQ(refs(0), (std::vector<std::pair<int, int>>{{7, 1}}));
  EXPECT_EQ(refs(1), (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {4, 1}, {7, 2}, {8, 1}, {7, 3}, {7, 4}, {7, 5}, {7, 6}, {7, 7}}));
  // "use" shares the first page's photo placement; the second photo placement is a new one.
  EXPECT_EQ(refs(2), (std::vector<std::pair<int, int>>{{3, 1}, {1, 1}, {1, 2}, {5, 1}, {6, 1}}));
  EXPECT_EQ(refs(3), (std::vector<std::pair<int, int>>{{4, 2}}));
  EXPECT_EQ(&Placed<TCKbOccurrence>(flyer, 1, 0), &Placed<TCKbOccurrence>(flyer, 2, 1));

  // The photo is decoded at the largest width and the largest height of its placements.
  const auto& photo = static_cast<TCKbImage&>(*flyer.Elements[0]->Control);
  EXPECT_EQ(photo.Bitmap.Width(), 300);
  EXPECT_EQ(photo.Bitmap.Height(), 80);
  const auto& keyed = Placed<TCKbOccImage>(flyer, 1, 1);
  EXPECT_TRUE(keyed.Transparent);
  EXPECT_EQ(keyed.KeyColour, 0x00FF00u);
  EXPECT_FALSE(keyed.Background);
  EXPECT_EQ(flyer.Pages[2]->Backdrop, &Placed<TCKbOccImage>(flyer, 2, 0));
  EXPECT_EQ(flyer.Pages[2]->DrawList.size(), 4u);
  EXPECT_EQ(keyed.DesignLeft, 10);
  EXPECT_EQ(keyed.DesignHeight, 50);

  // Coded for its key: every decoded pixel is the key itself or clearly apart from it.
  const TDib& keyBitmap = static_cast<TCKbImage&>(*flyer.Elements[1]->Control).Bitmap;
  int keyPixels = 0;
  int others = 0;
  for (int y = 0; y < keyBitmap.Height(); ++y)
    for (int x = 0; x < keyBitmap.Width(); ++x) {
      const std::uint8_t* p = keyBitmap.ScanLine(y) + 3 * x;
      const int distance = std::max({int{p[0]}, 255 - p[1], int{p[2]}});
      if (distance == 0) ++keyPixels;
      else EXPECT_GT(distance, 40) << x << "," << y;
      others += distance != 0;
    }
  EXPECT_GT(keyPixels, 0);
  EXPECT_GT(others, 0);
}

TEST_F(BuildRoundTripTest, ActionsAndSounds) {
  LoadedFlyer loaded(Build(kManifest));
  TFlyer& flyer = *loaded.Flyer;
  const auto& rect = static_cast<TCKbClick&>(*flyer.Elements[6]->Control);
  EXPECT_EQ(rect.Shape, 0);
  std::vector<int> actions;
  for (const auto& o : rect.Occurrences()) actions.push_back(static_cast<TCKbOccClick&>(*o).Action);
  EXPECT_EQ(actions, (std::vector<int>{caPreviousPage, 3, caNextPage, caBack, caForward, caClose, caNone}));
  const auto& oval = Placed<TCKbOccClick>(flyer, 1, 4);
  EXPECT_EQ(oval.Click().Shape, kEllipseShape);
  EXPECT_EQ(oval.Action, caWebLink);
  EXPECT_EQ(oval.LinkText, "https://example.org/x");
  EXPECT_TRUE(oval.Windowed);
  ASSERT_EQ(flyer.Pages[1]->WindowedList.size(), 1u);
  EXPECT_EQ(flyer.Pages[1]->WindowedList[0], &oval);

  // Equal uses of a sound share its placement; other flags make another one.
  auto& blip = *flyer.Elements[9]->Sound;
  ASSERT_EQ(blip.Occurrences().size(), 2u);
  const auto& previous = static_cast<TCKbOccClick&>(*rect.Occurrences()[0]);
  const auto& go = static_cast<TCKbOccClick&>(*rect.Occurrences()[1]);
  const auto& none = static_cast<TCKbOccClick&>(*rect.Occurrences()[6]);
  EXPECT_EQ(previous.SoundElement, 10);
  EXPECT_EQ(previous.ClickSound, blip.Occurrence(1));
  EXPECT_EQ(go.ClickSound, blip.Occurrence(1));
  EXPECT_EQ(none.ClickSound, blip.Occurrence(2));
  EXPECT_TRUE(none.ClickSound->Flag2);
  EXPECT_FALSE(none.ClickSound->Loop);
  EXPECT_EQ(none.ClickSound->Value, 7u);
  EXPECT_EQ(static_cast<TCKbOccClick&>(*rect.Occurrences()[2]).ClickSound, nullptr);

  // Both pages with the looping music play the same placement of it.
  auto& music = *flyer.Elements[8]->Sound;
  ASSERT_EQ(music.Occurrences().size(), 1u);
  EXPECT_EQ(flyer.Pages[1]->Sound, music.Occurrence(1));
  EXPECT_EQ(flyer.Pages[3]->Sound, music.Occurrence(1));
  EXPECT_TRUE(music.Occurrence(1)->Loop);
  EXPECT_EQ(flyer.Pages[2]->Sound, nullptr);

  // PCM from the WAVE file arrives unchanged.
  EXPECT_EQ(music.Compression, kPcmCompression);
  EXPECT_EQ(music.SampleRate, 8000u);
  EXPECT_EQ(music.BitsPerSample, 8);
  const auto played = ReadAll(music.WaveFileName);
  ASSERT_EQ(played.size(), kWaveHeaderSize + 100);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(played[kWaveHeaderSize + i], i * 2);
  // The synthesised blip was stored as stereo ADPCM: 1103 frames, half a byte per sample.
  EXPECT_NE(blip.Compression, kPcmCompression);
  EXPECT_EQ(blip.Channels, 2);
  EXPECT_EQ(blip.SampleRate, 11025u);
  EXPECT_EQ(blip.BitsPerSample, 4);
  EXPECT_EQ(blip.DataSize, 1103);
  EXPECT_EQ(blip.WaveSize, static_cast<std::int64_t>(kWaveHeaderSize) + 4 * 1103);
}

TEST_F(BuildRoundTripTest, TextsAreLaidOutForTheirPlacements) {
  LoadedFlyer loaded(Build(kManifest));
  TFlyer& flyer = *loaded.Flyer;
  const auto& body = static_cast<TCKbTekst&>(*flyer.Elements[3]->Control);
  EXPECT_EQ(body.Font.Name, "Times New Roman");
  EXPECT_EQ(body.FontSize, 10);
  EXPECT_EQ(body.Font.Color, 0x302010u);
  EXPECT_EQ(body.BackColour, 0xDDEEFFu);
  EXPECT_TRUE(body.Font.Bold && body.Font.Italic && body.Font.Underline && body.Font.StrikeOut);
  EXPECT_TRUE(body.Opaque);
  EXPECT_FALSE(body.Framed);
  EXPECT_FALSE(body.ScrollAllowed);
  EXPECT_EQ(body.Alignment, taRight);
  // Laid out for the first box (58 pixels: 8 characters). Placed twice, so every line is kept
  // as a paragraph of its own: the second, wider box shows the same lines.
  const TStrings laidOut{"aaa bbb\xA0", "ccc\xA0", "ddd\xA0", " eee\xA0", "\xA0"};
  EXPECT_EQ(Placed<TCKbOccTekst>(flyer, 1, 2).Lines, laidOut);
  EXPECT_EQ(Placed<TCKbOccTekst>(flyer, 3, 0).Lines, laidOut);

  // Placed once, a text keeps its paragraphs; too tall for its box, it scrolls.
  const auto& scroll = Placed<TCKbOccTekst>(flyer, 2, 3);
  EXPECT_EQ(scroll.Lines, (TStrings{"one", "two", "three", "four", "five", "six\xA0"}));
  EXPECT_TRUE(scroll.Windowed);
  EXPECT_EQ(scroll.Tekst().Alignment, taCentre);

  const auto& slot = static_cast<TCKbTekst&>(*flyer.Elements[5]->Control);
  EXPECT_TRUE(slot.IsPlaceholder());
}

TEST_F(BuildRoundTripTest, OlderFormatsAndKickstarters) {
  // Before format code 106 the player re-flows nothing and a scrollable text always scrolls:
  // its lines are laid out beside the scroll bar.
  const std::string manifest = R"({"format": {"code": 105, "neededVersion": 110},
    "elements": {"t": {"kind": "text", "scrollable": true, "paragraphs": ["aaa bbb ccc"]}},
    "pages": [{"place": [{"element": "t", "at": [0, 0, 60, 100]}]}]})";
  {
    LoadedFlyer loaded(Build(manifest));
    EXPECT_EQ(loaded.Flyer->Header.FormatCode, 105);
    EXPECT_EQ(loaded.Flyer->Header.NeededVersion, 110);
    const auto& t = Placed<TCKbOccTekst>(*loaded.Flyer, 1, 0);
    EXPECT_TRUE(t.Windowed);
    EXPECT_EQ(t.Lines, (TStrings{"aaa", "bbb", "ccc\xA0"}));  // 60 - 2 - 14 pixels: 6 characters
  }
  // An .exe is the kickstarter with the flyer in its footer, and loads as the same flyer.
  LoadedFlyer packed(Build(kManifest, "out.exe"));
  EXPECT_GT(packed.Flyer->Region.Start, 0);
  EXPECT_EQ(packed.Flyer->FlyerTitle, "Round trip");
  EXPECT_EQ(packed.Flyer->Pages.size(), 4u);
}

TEST_F(BuildRoundTripTest, InfoJsonShowsTheManifestsIntent) {
  // What scripts see: the flyer described by "qrltool info --json".
  const std::string flyer = Build(kManifest);
  const std::string command = std::string(QRL_BINARY_DIR) + "/bin/qrltool info --json " + flyer + " 2>/dev/null";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ASSERT_EQ(::pclose(pipe), 0);
  }
  const auto info = nlohmann::json::parse(output);
  EXPECT_EQ(info["title"], "Round trip");
  EXPECT_EQ(info["formatCode"], 106);
  EXPECT_EQ(info["width"], 320);
  EXPECT_EQ(info["navBar"]["close"], false);
  EXPECT_EQ(info["note"]["lines"], nlohmann::json::array({"remember"}));
  ASSERT_EQ(info["elements"].size(), 10u);
  const auto& oval = info["elements"][7];
  EXPECT_EQ(oval["shape"], kEllipseShape);
  EXPECT_EQ(oval["occurrences"][0]["action"], caWebLink);
  EXPECT_EQ(oval["occurrences"][0]["linkText"], "https://example.org/x");
  const auto& first = info["pages"][1];
  EXPECT_EQ(first["colour"], "#FF0000");
  EXPECT_EQ(first["sound"], (nlohmann::json{{"element", 9}, {"occurrence", 1}}));
  EXPECT_EQ(first["refs"][3], (nlohmann::json{{"element", 7}, {"occurrence", 2}}));
  EXPECT_EQ(info["elements"][6]["occurrences"][1]["action"], 3);  // "goto": "third"
  EXPECT_EQ(info["pages"][2]["backdrop"], (nlohmann::json{{"element", 3}, {"occurrence", 1}}));
  EXPECT_EQ(info["elements"][8]["occurrences"][0]["loop"], true);
  EXPECT_EQ(info["elements"][1]["occurrences"][0]["keyColour"], "#00FF00");
  EXPECT_EQ(info["elements"][3]["occurrences"][1]["lines"][1], "ccc\u00a0");
}

TEST_F(BuildRoundTripTest, TheDocumentedExampleBuilds) {
  // The complete example of the manifest documentation, with the files it names.
  const auto doc = ReadAll(QRL_DOCS_DIR "/manifest.md");
  const std::string text(doc.begin(), doc.end());
  const auto start = text.find("```jsonc\n");
  ASSERT_NE(start, std::string::npos);
  const auto end = text.find("```\n", start + 9);
  const std::string manifest = text.substr(start + 9, end - start - 9);
  dir_.Picture("greenhouse.jpg", 64, 48, Qt::darkGreen);
  dir_.Picture("logo.png", 16, 16, Qt::magenta, 8, Qt::white);
  dir_.Picture("grass.bmp", 8, 8, Qt::green);
  std::filesystem::copy_file(dir_.File("music.wav"), dir_.File("birds.wav"));
  LoadedFlyer loaded(Build(manifest));
  EXPECT_EQ(loaded.Flyer->FlyerTitle, "Garden shop");
  EXPECT_EQ(loaded.Flyer->Pages.size(), 3u);
}

}  // namespace
}  // namespace qrl::test
