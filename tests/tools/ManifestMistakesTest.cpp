// Every mistake in a manifest is refused with a message naming its place, and nothing is
// written.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "format/QuireleafException.h"
#include "tools/ToolsTestSupport.h"

namespace qrl::test {
namespace {

using nlohmann::ordered_json;

// A small manifest that is right in every respect; each case below spoils one thing.
ordered_json BaseManifest() {
  return ordered_json::parse(R"({
    "elements": {
      "pic": {"kind": "picture", "file": "p.png"},
      "txt": {"kind": "text", "paragraphs": ["hello"]},
      "hot": {"kind": "click"},
      "snd": {"kind": "sound", "tone": {"notes": ["A4"]}}
    },
    "pages": [
      {"name": "one", "sound": "snd", "place": [
        {"element": "pic", "at": [0, 0, 10, 10], "name": "p1"},
        {"element": "txt", "at": [0, 20, 100, 20]},
        {"element": "hot", "at": [0, 0, 10, 10], "goto": "two", "sound": "snd"}]},
      {"name": "two", "place": [{"use": "p1"}]}
    ]})");
}

class ManifestMistakesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApplication();
    dir_.Picture("p.png", 8, 8, Qt::red);
  }
  ManifestDir dir_;
};

TEST_F(ManifestMistakesTest, EachMistakeIsNamedByItsPlace) {
  ASSERT_EQ(MistakesIn(BaseManifest().dump(), dir_), std::vector<std::string>{});
  struct TCase {
    std::function<void(ordered_json&)> Spoil;
    std::string Expected;  // the start of the message, place included
  };
  const std::vector<TCase> cases{
      {[](auto& m) { m["elements"]["txt"]["color"] = "#000000"; }, "m.json: elements.txt.color: unknown field"},
      {[](auto& m) { m["elements"]["txt"]["size"] = "big"; }, "m.json: elements.txt.size: must be a whole number from 1 to 1000"},
      {[](auto& m) { m["elements"]["txt"]["colour"] = "#12345"; }, "m.json: elements.txt.colour: must be a colour \"#RRGGBB\""},
      {[](auto& m) { m["elements"]["txt"]["font"] = "Helvetica"; }, "m.json: elements.txt.font: \"Helvetica\" is not a face"},
      {[](auto& m) { m["elements"]["txt"]["paragraphs"] = {"smile \xF0\x9F\x98\x80"}; },
       "m.json: elements.txt.paragraphs[0]: the character U+1F600 cannot be stored"},
      {[](auto& m) { m["elements"]["txt"]["paragraphs"] = {"tab\there"}; },
       "m.json: elements.txt.paragraphs[0]: the character U+0009 cannot be stored"},
      {[](auto& m) {
         m["elements"]["txt"]["paragraphs"] = ordered_json::array();
         m["elements"]["txt"]["opaque"] = false;
         m["elements"]["txt"]["framed"] = false;
       },
       "m.json: elements.txt.paragraphs: a text without lines that is neither opaque nor framed stands for a placeholder"},
      {[](auto& m) { m["elements"]["pic"]["file"] = "missing.png"; }, "m.json: elements.pic.file: no such file"},
      {[](auto& m) { m["elements"]["pic"]["quality"] = 0; }, "m.json: elements.pic.quality: must be a whole number from 1 to 100"},
      {[](auto& m) { m["elements"]["pic"].erase("kind"); }, "m.json: elements.pic.kind: missing"},
      {[](auto& m) { m["elements"]["snd"]["file"] = "x.wav"; }, "m.json: elements.snd: a sound needs exactly one of"},
      {[](auto& m) { m["elements"]["snd"]["bits"] = 12; }, "m.json: elements.snd.bits: must be 8 or 16"},
      {[](auto& m) { m["elements"]["snd"]["tone"]["notes"] = {"H2"}; }, "m.json: elements.snd.tone.notes[0]: must be a note name"},
      {[](auto& m) { m["elements"]["spare"] = {{"kind", "click"}}; }, "m.json: elements.spare: never placed or played"},
      {[](auto& m) { m["format"] = {{"code", 11}}; }, "m.json: format.code: must be a whole number from 12 to 65535"},
      {[](auto& m) { m["format"] = {{"neededVersion", 121}}; }, "m.json: format.neededVersion: must be a whole number from 0 to 120"},
      {[](auto& m) {
         m["format"] = {{"code", 15}};
         m["info"] = {{"Flyer Info", {{"Title", "x"}}}};
       },
       "m.json: info: information sections are stored from format code 16 on"},
      {[](auto& m) { m["pages"] = ordered_json::array(); }, "m.json: pages: must be an array of one page or more"},
      {[](auto& m) { m["pages"].push_back({{"name", "one"}}); }, "m.json: pages[2].name: another page has this name already"},
      {[](auto& m) { m["pages"][1]["place"].push_back({{"element", "nope"}, {"at", {0, 0, 1, 1}}}); },
       "m.json: pages[1].place[1].element: no element is named \"nope\""},
      {[](auto& m) { m["pages"][0]["place"][1]["at"] = {0, 0, 0, 10}; },
       "m.json: pages[0].place[1].at: must be [left, top, width, height]"},
      {[](auto& m) { m["pages"][0]["place"][2]["goto"] = "three"; }, "m.json: pages[0].place[2].goto: no page is named \"three\""},
      {[](auto& m) { m["pages"][0]["place"][2]["action"] = "next"; }, "m.json: pages[0].place[2]: a click area needs exactly one of"},
      {[](auto& m) { m["pages"][0]["place"][2]["action"] = "jump"; m["pages"][0]["place"][2].erase("goto"); },
       "m.json: pages[0].place[2].action: must be one of \"none\""},
      {[](auto& m) { m["pages"][0]["place"][2]["sound"] = "txt"; }, "m.json: pages[0].place[2].sound: \"txt\" is no sound"},
      {[](auto& m) { m["pages"][0]["place"][1]["keyed"] = "#FF00FF"; }, "m.json: pages[0].place[1].keyed: unknown field"},
      {[](auto& m) { m["pages"][1]["place"].push_back({{"element", "snd"}, {"at", {0, 0, 1, 1}}}); },
       "m.json: pages[1].place[1].element: a sound is not placed on a page"},
      {[](auto& m) { m["pages"][1]["place"][0]["use"] = "p2"; }, "m.json: pages[1].place[0].use: no placement is named \"p2\""},
      {[](auto& m) { m["pages"][1]["place"].push_back({{"use", "p1"}}); },
       "m.json: pages[1].place[1].use: the placement \"p1\" is on this page already"},
      {[](auto& m) { m["pages"][1]["place"][0]["at"] = {0, 0, 5, 5}; }, "m.json: pages[1].place[0].at: unknown field"},
      {[](auto& m) { m["pages"][1]["place"].push_back({{"element", "pic"}, {"at", {0, 0, 1, 1}}, {"name", "p1"}}); },
       "m.json: pages[1].place[1].name: another placement has this name already"},
      {[](auto& m) {
         for (int i = 0; i < 2; ++i) m["pages"][1]["place"].push_back({{"element", "pic"}, {"at", {0, 0, 4, 4}}, {"backdrop", true}});
       },
       "m.json: pages[1]: a page has one backdrop at most"},
      {[](auto& m) {
         m["pages"][1]["place"].push_back(
             {{"element", "pic"}, {"at", {0, 0, 4, 4}}, {"backdrop", true}, {"keyed", "#FFFFFF"}});
       },
       "m.json: pages[1].place[1].keyed: a backdrop is tiled as it is"},
      {[](auto& m) { m["background"] = {{"place", {{{"element", "pic"}, {"at", {0, 0, 4, 4}}, {"backdrop", true}}}}}; },
       "m.json: background: the background page's backdrop is never drawn"},
      {[](auto& m) { m["background"] = {{"sound", "snd"}}; }, "m.json: background.sound: the background page is never shown"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].Expected);
    ordered_json manifest = BaseManifest();
    cases[i].Spoil(manifest);
    const auto mistakes = MistakesIn(manifest.dump(), dir_);
    ASSERT_EQ(mistakes.size(), 1u) << (mistakes.empty() ? "accepted" : mistakes.front() + " ... " + mistakes.back());
    EXPECT_EQ(mistakes.front().rfind(cases[i].Expected, 0), 0u) << mistakes.front();
  }
}

TEST_F(ManifestMistakesTest, TextMistakesAndSeveralAtOnce) {
  // Syntax errors say where; keys given twice are found though JSON readers usually keep one.
  auto mistakes = MistakesIn("{\n  \"pages\": [,]\n}", dir_);
  ASSERT_EQ(mistakes.size(), 1u);
  EXPECT_NE(mistakes[0].find("m.json: not valid JSON: "), std::string::npos);
  EXPECT_NE(mistakes[0].find("line 2"), std::string::npos);
  mistakes = MistakesIn(R"({"elements": {"t": {"kind": "text", "kind": "click"}}, "pages": [{}]})", dir_);
  ASSERT_EQ(mistakes.size(), 1u);
  EXPECT_EQ(mistakes[0], "m.json: elements.t.kind: given twice in the same object");
  // Comments are allowed.
  EXPECT_TRUE(MistakesIn("// a flyer\n" + BaseManifest().dump(), dir_).empty());

  ordered_json manifest = BaseManifest();
  manifest["elements"]["txt"]["size"] = 0;
  manifest["pages"][0]["colour"] = "red";
  manifest["pages"][1]["place"][0]["use"] = "nothing";
  mistakes = MistakesIn(manifest.dump(), dir_);
  EXPECT_EQ(mistakes.size(), 3u);
}

TEST_F(ManifestMistakesTest, NothingIsWrittenAndAnOldFlyerStays) {
  const std::string out = dir_.File("out.qrl");
  dir_.Write("out.qrl", "old flyer");

  ordered_json manifest = BaseManifest();
  manifest["pages"][0]["place"][2]["goto"] = "nowhere";
  const std::string path = dir_.Write("m.json", manifest.dump());
  EXPECT_THROW(BuildFlyer(path, out, Fixed(), ""), EManifestError);

  // Files that are there but unusable are found while compiling: still nothing is written.
  dir_.Write("p.png", "not a picture at all");
  dir_.Write("m.json", BaseManifest().dump());
  try {
    BuildFlyer(path, out, Fixed(), "");
    FAIL() << "a damaged picture was accepted";
  } catch (const EManifestError& e) {
    ASSERT_EQ(e.Messages().size(), 1u);
    EXPECT_EQ(e.Messages()[0].rfind("m.json: elements.pic.file: ", 0), 0u) << e.Messages()[0];
  }
  dir_.Picture("p.png", 8, 8, Qt::red);
  dir_.Write("w.wav", std::string("RIFF\x04\0\0\0WAVE", 12));
  manifest = BaseManifest();
  manifest["elements"]["snd"] = {{"kind", "sound"}, {"file", "w.wav"}};
  dir_.Write("m.json", manifest.dump());
  try {
    BuildFlyer(path, out, Fixed(), "");
    FAIL() << "a WAVE file without samples was accepted";
  } catch (const EManifestError& e) {
    ASSERT_EQ(e.Messages().size(), 1u);
    EXPECT_EQ(e.Messages()[0], "m.json: elements.snd.file: not a usable WAVE file: no \"data\" chunk");
  }
  // A kickstarter executable needs the kickstarter.
  dir_.Write("m.json", BaseManifest().dump());
  EXPECT_THROW(BuildFlyer(path, dir_.File("out.exe"), Fixed(), dir_.File("no-quirekick.exe")), EQuireleafException);

  std::set<std::string> names;  // no new file, no left-over temporary one
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Dir().Path()))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"m.json", "out.qrl", "p.png", "w.wav"}));
  const auto old = ReadAll(out);
  EXPECT_EQ(std::string(old.begin(), old.end()), "old flyer");
}

}  // namespace
}  // namespace qrl::test
