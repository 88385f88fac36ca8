#include <sys/stat.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "document/FlyerCopy.h"
#include "document/FlyerTestSupport.h"
#include "document/NoteBlock.h"
#include "document/TFlyerWriter.h"
#include "format/CodePage.h"
#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"

namespace qrl::test {
namespace {

struct BlockAt {
  std::uint16_t Code;
  std::int64_t Offset;
};

// The coded blocks of a plain flyer file, in order.
std::vector<BlockAt> Blocks(const std::string& path) {
  TQLStream s(path, TOpenMode::fmOpenRead);
  s.Seek(8, TSeekOrigin::soBeginning);
  s.Seek(s.ReadLongInt() + 4, TSeekOrigin::soCurrent);
  std::vector<BlockAt> blocks;
  while (s.Position() < s.Size()) {
    const std::int64_t offset = s.Position();
    const std::uint16_t code = s.ReadWord();
    s.Seek(s.ReadLongInt() + 4, TSeekOrigin::soCurrent);
    blocks.push_back({code, offset});
  }
  return blocks;
}

int CountCode(const std::vector<BlockAt>& blocks, std::uint16_t code) {
  return static_cast<int>(std::count_if(blocks.begin(), blocks.end(), [code](const BlockAt& b) { return b.Code == code; }));
}

std::vector<std::string> FolderContents(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The stored lines end at a character 0, so a note holding one is refused, naming it and its
// line, before a byte is written.
TEST(NoteBlock, CharacterZeroIsRefusedNotDropped) {
  TQLStream out(std::vector<std::uint8_t>{}, "note.bin");
  try {
    WriteNoteBlock(out, {"Hello", std::string("Wor\0ld", 6)}, TNoteBounds::FromSize(0, 0, 10, 10));
    FAIL() << "a note with a character 0 was written";
  } catch (const EUnstorableText& e) {
    EXPECT_EQ(e.Character(), U'\0');
    EXPECT_STREQ(e.what(), "Note line 2: the character U+0000 cannot be stored: a flyer text ends at it.");
  }
  EXPECT_EQ(out.Size(), 0);
}

TEST(NoteBlock, RoundTripWithFixedFields) {
  TempDir dir;
  const std::string path = dir.File("note.bin");
  const TNoteBounds bounds = TNoteBounds::FromSize(-5, 10, 300, 120);
  {
    TQLStream out(path, TOpenMode::fmCreate);
    WriteNoteBlock(out, {"Hello", "", "World"}, bounds);
    WriteNoteBlock(out, {}, TNoteBounds::FromSize(INT_MAX, INT_MIN, 10, -1));
  }
  const auto bytes = ReadAll(path);
  const std::vector<unsigned char> fixed{0, 0, 0xFF, 0xFF, 0, 0x01, 0x05, 0, 0, 0, 0, 0, 10, 0, 4, 0};
  ASSERT_GT(bytes.size(), 20u);
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 4, bytes.begin() + 20), fixed);

  TQLStream in(path, TOpenMode::fmOpenRead);
  TStrings lines;
  TNoteBounds read;
  ReadNoteBlock(in, lines, read);
  EXPECT_EQ(lines, (TStrings{"Hello", "", "World"}));
  EXPECT_EQ(read, bounds);
  EXPECT_EQ(read.Width(), 300);
  ReadNoteBlock(in, lines, read);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(read.Left, INT_MAX);
  EXPECT_EQ(read.Width(), 10);
  EXPECT_EQ(read.Height(), -1);
}

class FlyerCopyTest : public ::testing::Test {
 protected:
  FlyerCopyTest() {
    flyer_ = MakeFlyer({Info("Copy"), Text(1, {"text"}), Page({}), Page({{1, 1, 0}})});
    source_ = dir_.File("source.qrl");
    WriteFlyerFile(flyer_, source_);
  }

  std::unique_ptr<TFlyer> Load(const std::string& path) {
    auto flyer = std::make_unique<TFlyer>(Measurer());
    RecordingObserver observer;
    TFlyerLoader loader(*flyer, observer);
    EXPECT_EQ(loader.LoadFlyer(path), TLoadResult::lrComplete);
    return flyer;
  }

  TempDir dir_;
  TFlyerDesc flyer_;
  std::string source_;
};

TEST_F(FlyerCopyTest, NoteIsAppendedOnceThenReplacedInPlace) {
  const std::string copy = dir_.File("copy.qrl");
  WriteFlyerCopy(source_, copy, {"first note"}, TNoteBounds::FromSize(1, 2, 3, 4), "");
  const auto before = Blocks(source_);
  const auto after = Blocks(copy);
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(after.back().Code, bcNote);
  // Every other block is copied byte for byte.
  const auto sourceBytes = ReadAll(source_);
  const auto copyBytes = ReadAll(copy);
  EXPECT_TRUE(std::equal(sourceBytes.begin(), sourceBytes.end(), copyBytes.begin()));

  const auto loaded = Load(copy);
  EXPECT_TRUE(loaded->HasNoteBlock);
  EXPECT_EQ(loaded->NoteLines, TStrings{"first note"});
  EXPECT_EQ(loaded->NoteBounds, TNoteBounds::FromSize(1, 2, 3, 4));

  // Saving over the open file replaces its note block where it stands.
  WriteFlyerCopy(copy, copy, {}, TNoteBounds::FromSize(5, 6, 7, 8), "");
  const auto again = Blocks(copy);
  ASSERT_EQ(again.size(), after.size());
  EXPECT_EQ(again.back().Code, bcNote);
  EXPECT_EQ(again.back().Offset, after.back().Offset);
  const auto reloaded = Load(copy);
  EXPECT_TRUE(reloaded->NoteLines.empty());
  EXPECT_EQ(reloaded->NoteBounds.Left, 5);
  EXPECT_EQ(FolderContents(dir_), (std::vector<std::string>{"copy.qrl", "source.qrl"}));
}

TEST_F(FlyerCopyTest, OnlyTheFirstOfSeveralNoteBlocksSurvives) {
  flyer_.Blocks.insert(flyer_.Blocks.begin() + 1, TNoteDesc{{"old one"}, {}});
  flyer_.Blocks.push_back(TNoteDesc{{"old two"}, {}});
  WriteFlyerFile(flyer_, source_);
  const auto before = Blocks(source_);
  ASSERT_EQ(CountCode(before, bcNote), 2);
  WriteFlyerCopy(source_, source_, {"new"}, {}, "");
  const auto after = Blocks(source_);
  EXPECT_EQ(CountCode(after, bcNote), 1);
  EXPECT_EQ(after[1].Code, bcNote);
  EXPECT_EQ(after.size(), before.size() - 1);
  EXPECT_EQ(Load(source_)->NoteLines, TStrings{"new"});
}

TEST_F(FlyerCopyTest, KickstarterTargets) {
  const std::string target = dir_.File("Packed.EXE");
  // Without the kickstarter nothing is written, and an existing target stays as it was.
  WriteAll(target, {'o', 'l', 'd'});
  try {
    WriteFlyerCopy(source_, target, {"note"}, {}, dir_.File("quirekick.exe"));
    FAIL() << "the kickstarter is missing";
  } catch (const EQuireleafException& e) {
    EXPECT_STREQ(e.what(), "Could not find Kickstarter application");
  }
  EXPECT_EQ(ReadAll(target), (std::vector<unsigned char>{'o', 'l', 'd'}));

  const std::string kickstarter = dir_.File("quirekick.exe");
  WriteAll(kickstarter, std::vector<unsigned char>(300, 0x90));
  WriteFlyerCopy(source_, target, {"packed note"}, TNoteBounds::FromSize(10, 20, 30, 40), kickstarter);
  const auto packed = Load(target);
  EXPECT_EQ(packed->Region.Start, 300 + 8 + 2 + std::string("source.QRL").size() + 1);
  EXPECT_EQ(packed->NoteLines, TStrings{"packed note"});
  EXPECT_EQ(packed->FlyerTitle, "Copy");

  // A packed flyer saved as a plain one: the region is taken out of the executable.
  const std::string plain = dir_.File("plain.qrl");
  WriteFlyerCopy(target, plain, {"unpacked"}, {}, "");
  EXPECT_EQ(Load(plain)->NoteLines, TStrings{"unpacked"});
  EXPECT_EQ(FolderContents(dir_), (std::vector<std::string>{"Packed.EXE", "plain.qrl", "quirekick.exe", "source.qrl"}));
}

TEST_F(FlyerCopyTest, DamagedSourceLeavesTargetUntouched) {
  auto bytes = ReadAll(source_);
  bytes.resize(bytes.size() - 3);  // the last block now reaches past the end
  WriteAll(source_, bytes);
  const std::string target = dir_.File("target.qrl");
  WriteAll(target, {'k', 'e', 'e', 'p'});
  try {
    WriteFlyerCopy(source_, target, {"x"}, {}, "");
    FAIL() << "the source is damaged";
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), 4102);
  }
  EXPECT_EQ(ReadAll(target), (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
  EXPECT_EQ(FolderContents(dir_), (std::vector<std::string>{"source.qrl", "target.qrl"}));
  EXPECT_THROW(WriteFlyerCopy(dir_.File("missing.qrl"), target, {}, {}, ""), EFileError);
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST_F(FlyerCopyTest, SavingKeepsTheTargetsModeAndLinks) {
  const std::string kickstarter = dir_.File("quirekick.exe");
  WriteAll(kickstarter, std::vector<unsigned char>(300, 0x90));
  ASSERT_EQ(::chmod(kickstarter.c_str(), 0755), 0);
  const std::string packed = dir_.File("private.exe");
  const std::string plain = dir_.File("private.qrl");
  WriteAll(packed, {'o', 'l', 'd'});
  WriteAll(plain, {'o', 'l', 'd'});
  ASSERT_EQ(::chmod(packed.c_str(), 0600), 0);
  ASSERT_EQ(::chmod(plain.c_str(), 0600), 0);
  WriteFlyerCopy(source_, packed, {"packed"}, {}, kickstarter);
  WriteFlyerCopy(source_, plain, {"plain"}, {}, "");
  EXPECT_EQ(ModeOf(packed), 0600u);
  EXPECT_EQ(ModeOf(plain), 0600u);
  EXPECT_EQ(Load(packed)->NoteLines, TStrings{"packed"});

  // A new kickstarter target is a program; saving through a link updates the file linked to.
  const std::string fresh = dir_.File("fresh.exe");
  WriteFlyerCopy(source_, fresh, {"fresh"}, {}, kickstarter);
  EXPECT_NE(ModeOf(fresh) & 0100, 0u);
  std::filesystem::create_symlink("private.qrl", dir_.Path() / "link.qrl");
  WriteFlyerCopy(source_, dir_.File("link.qrl"), {"through the link"}, {}, "");
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.Path() / "link.qrl"));
  EXPECT_EQ(Load(plain)->NoteLines, TStrings{"through the link"});
  EXPECT_EQ(ModeOf(plain), 0600u);
}

}  // namespace
}  // namespace qrl::test
