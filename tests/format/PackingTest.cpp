#include "format/Packing.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;
using Bytes = std::vector<unsigned char>;

const std::string kQuirekick = std::string(QRL_BINARY_DIR) + "/bin/quirekick.exe";

Bytes SmallFlyer(const TempDir& dir) {
  const auto path = dir.File("flyer.qrl");
  {
    TQLStream w(path, TOpenMode::fmCreate);
    WriteMagic(w);
    WriteFileHeader(w, 16, 120);
    WriteCodedBlock(w, bcNavBar, [](TQLStream& s) { s.WriteSmallInt(0x1F); });
  }
  return ReadAll(path);
}

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Packing, PackAndUnpackRoundTrip) {
  TempDir dir;
  const Bytes flyer = SmallFlyer(dir);
  const Bytes kick(5000, 0x90);
  WriteAll(dir.File("kick.exe"), kick);
  ::chmod(dir.File("kick.exe").c_str(), 0755);
  // A new target is a program like the launcher.
  PackFlyer(dir.File("kick.exe"), dir.File("flyer.qrl"), "FLYER.QRL", dir.File("fresh.exe"));
  struct stat st {};
  ASSERT_EQ(::stat(dir.File("fresh.exe").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);
  fs::remove(dir.File("fresh.exe"));
  // An existing one is replaced as a whole and keeps its permission bits.
  WriteAll(dir.File("packed.exe"), {1, 2, 3});
  ::chmod(dir.File("packed.exe").c_str(), 0710);

  PackFlyer(dir.File("kick.exe"), dir.File("flyer.qrl"), "FLYER.QRL", dir.File("packed.exe"));
  const Bytes packed = ReadAll(dir.File("packed.exe"));
  EXPECT_EQ(packed.size(), kick.size() + 8 + 2 + 10 + flyer.size() + 8);
  EXPECT_TRUE(std::equal(kick.begin(), kick.end(), packed.begin()));
  ASSERT_EQ(::stat(dir.File("packed.exe").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0710u);

  UnpackFlyer(dir.File("packed.exe"), dir.File("back.qrl"));
  EXPECT_EQ(ReadAll(dir.File("back.qrl")), flyer);
  // Repacking a packed file over itself swaps the flyer and keeps one copy of the launcher.
  PackFlyer(dir.File("packed.exe"), dir.File("back.qrl"), "", dir.File("packed.exe"));
  EXPECT_EQ(ReadAll(dir.File("packed.exe")).size(), kick.size() + 8 + 2 + 9 + flyer.size() + 8);
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"back.qrl", "flyer.qrl", "kick.exe", "packed.exe"}));
}

TEST(Packing, FailuresLeaveTheTargetUntouched) {
  TempDir dir;
  SmallFlyer(dir);
  WriteAll(dir.File("kick.exe"), Bytes(100, 0x90));
  WriteAll(dir.File("target.exe"), {7, 7, 7});

  try {
    PackFlyer(dir.File("kick.exe"), dir.File("missing.qrl"), "", dir.File("target.exe"));
    FAIL() << "packed a missing flyer";
  } catch (const EQuireleafException& e) {
    EXPECT_EQ(std::string(e.what()), "Could not write to " + dir.File("target.exe"));
  }
  EXPECT_THROW(PackFlyer(dir.File("missing.exe"), dir.File("flyer.qrl"), "", dir.File("target.exe")),
               EQuireleafException);
  EXPECT_THROW(UnpackFlyer(dir.File("flyer.qrl"), dir.File("target.exe")), EQuireleafInvalidFile);
  EXPECT_THROW(PackFlyer(dir.File("kick.exe"), dir.File("flyer.qrl"), "", dir.File("no-dir/target.exe")), EFileError);

  EXPECT_EQ(ReadAll(dir.File("target.exe")), (Bytes{7, 7, 7}));
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"flyer.qrl", "kick.exe", "target.exe"}));
}

struct TRun {
  int Status;
  std::string Output;
};

TRun RunShell(const std::string& command) {
  TRun run{-1, {}};
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe)) run.Output += chunk.data();
  const int status = ::pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The fake player records its arguments and a copy of the file after -r.
void WriteFakePlayer(const std::string& path, const std::string& log) {
  std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << log << "'\ncp \"$2\" '" << log << ".flyer'\n";
  ::chmod(path.c_str(), 0755);
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Quirekick, StartsThePlayerOnACopyOfItsFlyer) {
  TempDir dir;
  const Bytes flyer = SmallFlyer(dir);
  const auto tmp = dir.File("tmp");
  fs::create_directory(tmp);
  PackFlyer(kQuirekick, dir.File("flyer.qrl"), "../../evil.QRL", dir.File("packed.exe"));
  WriteFakePlayer(dir.File("fake-player"), dir.File("log"));

  const TRun run = RunShell("TMPDIR='" + tmp + "' QRL_PLAYER='" + dir.File("fake-player") + "' '" + dir.File("packed.exe") + "'");
  EXPECT_EQ(run.Status, 0) << run.Output;
  const auto args = Lines(dir.File("log"));
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0], "-r");
  EXPECT_EQ(fs::path(args[1]).parent_path(), fs::path(tmp));
  EXPECT_EQ(fs::path(args[1]).filename().string().rfind("QRL", 0), 0u) << args[1];
  EXPECT_EQ(ReadAll(args[1]), flyer);  // left for the player, which deletes it when it closes
  EXPECT_EQ(ReadAll(dir.File("log.flyer")), flyer);
}

TEST(Quirekick, ExplainsAMissingFlyerOrPlayerAndLeavesNoCopy) {
  TempDir dir;
  SmallFlyer(dir);
  const auto tmp = dir.File("tmp");
  fs::create_directory(tmp);
  const std::string env = "TMPDIR='" + tmp + "' ";

  const TRun bare = RunShell(env + "QRL_PLAYER=/bin/true '" + kQuirekick + "'");
  EXPECT_NE(bare.Status, 0);
  EXPECT_NE(bare.Output.find("This is not a Quireleaf Kickstarter."), std::string::npos) << bare.Output;
  EXPECT_NE(bare.Output.find("qrltool pack"), std::string::npos) << bare.Output;

  PackFlyer(kQuirekick, dir.File("flyer.qrl"), "F.QRL", dir.File("packed.exe"));
  const TRun named = RunShell(env + "QRL_PLAYER='" + dir.File("no-player") + "' '" + dir.File("packed.exe") + "'");
  EXPECT_NE(named.Status, 0);
  EXPECT_NE(named.Output.find("QRL_PLAYER"), std::string::npos) << named.Output;

  const TRun none = RunShell(env + "PATH='" + dir.File("empty") + "' /usr/bin/env -u QRL_PLAYER '" + dir.File("packed.exe") + "'");
  EXPECT_NE(none.Status, 0);
  EXPECT_NE(none.Output.find("not installed"), std::string::npos) << none.Output;

  EXPECT_TRUE(FilesIn(tmp).empty());
}

}  // namespace
}  // namespace qrl
