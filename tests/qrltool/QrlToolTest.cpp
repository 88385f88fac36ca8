// qrltool as scripts use it: the JSON it prints, the exact refusal lines and exit statuses,
// notes written into copies, packing, extracting, and an empty temporary folder afterwards.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "document/FlyerTestSupport.h"
#include "document/TFlyerWriter.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

using test::TempDir;

struct TRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class QrlToolTest : public ::testing::Test {
 protected:
  // Runs qrltool with its temporary folder inside the test's folder.
  TRun Run(const std::string& arguments) {
    const std::string out = dir_.File("stdout.txt");
    const std::string err = dir_.File("stderr.txt");
    const std::string command = "TMPDIR='" + tmp_.string() + "' '" + std::string(QRL_BINARY_DIR) +
                                "/bin/qrltool' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    return {WEXITSTATUS(raw), Slurp(out), Slurp(err)};
  }
  std::string File(const std::string& name) { return dir_.File(name); }
  bool TempFolderEmpty() const { return std::filesystem::is_empty(tmp_); }

  // Background page and two pages: a framed text, a web link with a click sound, a page sound.
  std::string WriteSampleFlyer() {
    TElementDesc link;
    link.Kind = ekClick;
    link.Id = 2;
    TOccurrenceDesc area = test::At(10, 20, 100, 50);
    area.Action = -4;
    area.LinkText = "https://example.org/caf\xE9";
    area.SoundElement = 3;
    area.SoundIndex = 1;
    link.Occurrences = {area};
    TElementDesc sound = test::Sound(3);
    sound.Occurrences[0].SoundFlags = 1;
    TPageDesc page1 = test::Page({{1, 1}, {2, 1}}, 0x0000FF);
    page1.SoundElement = 3;
    page1.SoundOccurrence = 1;
    TInfoDesc info = test::Info("Sample");
    info.Sections.push_back({0, "Special", {{"Creator", {"Us", "and them"}}}});
    const std::string path = File("sample.qrl");
    WriteFlyerFile(test::MakeFlyer({info, TNavBarDesc{0x0B, {}}, test::Text(1, {"Hello\xA0"}), link, sound,
                                    test::Page({}), page1, test::Page({{1, 1}})}),
                   path);
    return path;
  }

 private:
  TempDir dir_;
  std::filesystem::path tmp_ = dir_.Path() / "tmp";
  bool made_ = std::filesystem::create_directory(tmp_);
};

TEST_F(QrlToolTest, InfoJsonDescribesEveryBlockOfPlainAndPackedFlyers) {
  const std::string flyer = WriteSampleFlyer();
  const TRun run = Run("info --json '" + flyer + "'");
  ASSERT_EQ(run.Status, 0) << run.Err;
  const auto j = nlohmann::json::parse(run.Out);
  EXPECT_EQ(j["formatCode"], 106);
  EXPECT_EQ(j["neededVersion"], 120);
  EXPECT_EQ(j["region"]["start"], 0);
  EXPECT_EQ(j["region"]["end"], std::filesystem::file_size(flyer));
  EXPECT_EQ(j["title"], "Sample");
  EXPECT_EQ(j["sections"][1]["items"][0]["lines"], nlohmann::json({"Us", "and them"}));
  EXPECT_EQ(j["navBar"], nlohmann::json({{"pages", true}, {"close", true}, {"mute", false}, {"note", true},
                                          {"info", false}}));
  EXPECT_TRUE(j["note"].is_null());
  ASSERT_EQ(j["elements"].size(), 3u);
  const auto& link = j["elements"][1];
  EXPECT_EQ(link["kind"], 2);
  EXPECT_EQ(link["occurrences"][0]["linkText"], "https://example.org/caf\u00e9");
  EXPECT_EQ(link["occurrences"][0]["windowed"], true);
  const auto& sound = j["elements"][2];
  EXPECT_EQ(sound["dataSize"], 100);
  EXPECT_EQ(sound["waveSize"], 144);
  EXPECT_EQ(sound["occurrences"][0]["loop"], true);
  const auto& page1 = j["pages"][1];
  EXPECT_EQ(page1["colour"], "#FF0000");
  EXPECT_EQ(page1["sound"], nlohmann::json({{"element", 3}, {"occurrence", 1}}));
  EXPECT_EQ(page1["drawList"].size(), 2u);
  EXPECT_EQ(page1["windowed"][0], nlohmann::json({{"element", 2}, {"occurrence", 1}}));
  EXPECT_TRUE(TempFolderEmpty());

  const std::string packed = File("sample.exe");
  ASSERT_EQ(Run("pack '" + flyer + "' -o '" + packed + "'").Status, 0);
  const auto p = nlohmann::json::parse(Run("info --json '" + packed + "'").Out);
  EXPECT_GT(p["region"]["start"], 0);
  EXPECT_EQ(p["region"]["end"].get<long>() - p["region"]["start"].get<long>(), j["region"]["end"].get<long>());
  ASSERT_EQ(p["elements"].size(), j["elements"].size());
  EXPECT_EQ(p["elements"][1]["occurrences"], j["elements"][1]["occurrences"]);
  EXPECT_EQ(p["elements"][0]["filePos"].get<long>() - p["region"]["start"].get<long>(),
            j["elements"][0]["filePos"].get<long>());
  ASSERT_EQ(Run("unpack '" + packed + "' -o '" + File("back.qrl") + "'").Status, 0);
  EXPECT_EQ(Slurp(File("back.qrl")), Slurp(flyer));
}

TEST_F(QrlToolTest, RefusedFlyersGiveThePlayersLineAndStatusOne) {
  const std::string flyer = WriteSampleFlyer();
  std::string bytes = Slurp(flyer);
  bytes[bytes.size() - 3] ^= 0x55;  // inside the last block's checksum
  std::ofstream(File("damaged.qrl"), std::ios::binary) << bytes;
  TRun run = Run("info '" + File("damaged.qrl") + "'");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "Error 4100 has occurred during file access.\n");
  EXPECT_EQ(Run("info -d '" + File("damaged.qrl") + "'").Err, "Checksum failed.\n");
  run = Run("info --json '" + File("damaged.qrl") + "'");
  EXPECT_EQ(nlohmann::json::parse(run.Out),
            nlohmann::json::parse(R"({"error": {"class": "EQuireleafDebugger", "code": 4100,
                                                "message": "Checksum failed."}})"));

  std::ofstream(File("plain.txt")) << "just some text, long enough to be read as a header";
  run = Run("info '" + File("plain.txt") + "'");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "This is not a Quireleaf.\n");
  std::filesystem::copy_file(flyer, File("renamed.EXE"));
  EXPECT_EQ(Run("info '" + File("renamed.EXE") + "'").Err, "This is not a Quireleaf Kickstarter.\n");
  const auto j = nlohmann::json::parse(Run("info --json '" + File("renamed.EXE") + "'").Out);
  EXPECT_EQ(j["error"]["class"], "EQuireleafInvalidFile");
  EXPECT_FALSE(j["error"].contains("code"));

  EXPECT_EQ(Run("info '" + File("missing.qrl") + "'").Status, 2);
  EXPECT_EQ(Run("info").Status, 2);
  EXPECT_EQ(Run("frobnicate").Status, 2);
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(QrlToolTest, ExportWritesBothOutputsOrNothingAndLeavesForeignFoldersAlone) {
  const std::string flyer = WriteSampleFlyer();
  TRun run = Run("export '" + flyer + "' --html '" + File("web") + "' --pdf '" + File("out.pdf") + "'");
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_TRUE(std::filesystem::exists(File("web/page2.html")));
  EXPECT_EQ(Slurp(File("out.pdf")).substr(0, 5), "%PDF-");
  // Exporting again replaces the earlier export.
  std::ofstream(File("web/stale.txt")) << "from before";
  EXPECT_EQ(Run("export '" + flyer + "' --html '" + File("web") + "'").Status, 0);
  EXPECT_FALSE(std::filesystem::exists(File("web/stale.txt")));

  std::string bytes = Slurp(flyer);
  bytes[bytes.size() - 3] ^= 0x55;
  std::ofstream(File("damaged.qrl"), std::ios::binary) << bytes;
  run = Run("export '" + File("damaged.qrl") + "' --html '" + File("web2") + "' --pdf '" + File("out2.pdf") + "'");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "Error 4100 has occurred during file access.\n");
  EXPECT_FALSE(std::filesystem::exists(File("web2")));
  EXPECT_FALSE(std::filesystem::exists(File("out2.pdf")));

  std::filesystem::create_directory(File("mine"));
  std::ofstream(File("mine/letter.txt")) << "keep me";
  run = Run("export '" + flyer + "' --html '" + File("mine") + "'");
  EXPECT_EQ(run.Status, 2);
  EXPECT_NE(run.Err.find("holds no earlier export"), std::string::npos);
  EXPECT_EQ(Slurp(File("mine/letter.txt")), "keep me");
  EXPECT_EQ(Run("export '" + flyer + "'").Status, 2);
  // Nothing half-made stays beside the targets, nothing in the temporary folder.
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(File("web")).parent_path()))
    EXPECT_EQ(entry.path().filename().string().find(".QRL"), std::string::npos) << entry.path();
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(QrlToolTest, NoteSetWritesACopyThatCarriesTheNewNote) {
  const std::string flyer = WriteSampleFlyer();
  std::ofstream(File("note.txt")) << "Dear reader,\ncaf\u00e9 at noon\n";
  ASSERT_EQ(Run("note '" + flyer + "' --set '" + File("note.txt") + "' --bounds 5,6,200,100 -o '" +
                File("noted.qrl") + "'")
                .Status,
            0);
  EXPECT_EQ(Run("note '" + File("noted.qrl") + "'").Out, "Dear reader,\ncaf\u00e9 at noon\n");
  const auto j = nlohmann::json::parse(Run("info --json '" + File("noted.qrl") + "'").Out);
  EXPECT_EQ(j["note"], nlohmann::json({{"lines", {"Dear reader,", "caf\u00e9 at noon"}}, {"left", 5}, {"top", 6},
                                       {"width", 200}, {"height", 100}}));
  // The source itself is untouched, and a second save replaces the note instead of adding one.
  EXPECT_EQ(Run("note '" + flyer + "'").Out, "");
  const auto firstSize = std::filesystem::file_size(File("noted.qrl"));
  std::ofstream(File("other.txt")) << "Changed\n";
  ASSERT_EQ(Run("note '" + File("noted.qrl") + "' --set '" + File("other.txt") + "' -o '" + File("noted.qrl") + "'")
                .Status,
            0);
  const auto k = nlohmann::json::parse(Run("info --json '" + File("noted.qrl") + "'").Out);
  EXPECT_EQ(k["note"]["lines"], nlohmann::json({"Changed"}));
  EXPECT_EQ(k["note"]["left"], 5);
  // 27 bytes of coded lines became 9: the one note block was replaced in place.
  EXPECT_EQ(std::filesystem::file_size(File("noted.qrl")), firstSize - 18);

  ASSERT_EQ(Run("note '" + flyer + "' --set '" + File("note.txt") + "' -o '" + File("noted.exe") + "'").Status, 0);
  EXPECT_EQ(Run("note '" + File("noted.exe") + "'").Out, "Dear reader,\ncaf\u00e9 at noon\n");
  EXPECT_EQ(Run("note '" + flyer + "' --set '" + File("nope.txt") + "' -o '" + File("x.qrl") + "'").Status, 2);
  EXPECT_FALSE(std::filesystem::exists(File("x.qrl")));
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(QrlToolTest, NoteSetRefusesWhatAFlyerCannotStore) {
  const std::string flyer = WriteSampleFlyer();
  std::ofstream(File("wide.txt")) << "Hello\nto \u4E2D\n";
  TRun run = Run("note '" + flyer + "' --set '" + File("wide.txt") + "' -o '" + File("wide.qrl") + "'");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, File("wide.txt") + ", line 2: the character U+4E2D \"\u4E2D\" cannot be stored: flyer texts "
                                        "are Windows-1252.\n");
  std::ofstream(File("zero.txt")) << std::string("Hello\nWor\0ld\n", 12);
  run = Run("note '" + flyer + "' --set '" + File("zero.txt") + "' -o '" + File("zero.qrl") + "'");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "Note line 2: the character U+0000 cannot be stored: a flyer text ends at it.\n");
  EXPECT_FALSE(std::filesystem::exists(File("wide.qrl")));
  EXPECT_FALSE(std::filesystem::exists(File("zero.qrl")));
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(QrlToolTest, ExtractWritesTheWaveFileThePlayerPlays) {
  const std::string flyer = WriteSampleFlyer();
  ASSERT_EQ(Run("extract '" + flyer + "' --element 3 -o '" + File("sound.wav") + "'").Status, 0);
  const std::string wave = Slurp(File("sound.wav"));
  ASSERT_EQ(wave.size(), 144u);
  EXPECT_EQ(wave.substr(0, 4), "RIFF");
  EXPECT_EQ(wave.substr(44), std::string(100, '\x80'));
  TRun run = Run("extract '" + flyer + "' --element 1 -o '" + File("text.png") + "'");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(Run("extract '" + flyer + "' --element 9 -o '" + File("none.wav") + "'").Status, 1);
  EXPECT_TRUE(TempFolderEmpty());
}

}  // namespace
}  // namespace qrl
