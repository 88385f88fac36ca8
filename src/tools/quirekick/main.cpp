// quirekick.exe: the launcher packed in front of a flyer. Run as a packed executable it copies
// the flyer out of its own footer into a new temporary file and replaces itself with the
// installed player, started as `quireleaf -r <copy>` so that the player deletes the copy when
// it closes the flyer.
//
// The player is $QRL_PLAYER when set, else `quireleaf` beside this program's real file, else
// `quireleaf` on the PATH (a packed copy usually travels far from the player's folder).
// Exit status: 1 no flyer packed in this file, or no player found; 2 an input/output failure.

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"
#include "format/TQLStream.h"
#include "format/TTempFiles.h"

namespace {

constexpr const char* kSelf = "/proc/self/exe";
constexpr const char* kPlayerName = "quireleaf";

// Writes the packed flyer into a new temporary file and returns its path.
std::string CopyOutFlyer(qrl::TTempFiles& tempFiles) {
  qrl::TQLStream self(kSelf, qrl::TOpenMode::fmOpenRead);
  const qrl::TFlyerRegion region = qrl::LocateFlyerData(self, true);
  // The stored resource name is never used as a path: the copy gets a fresh name of our own.
  const std::string copy = tempFiles.TempFileName();
  qrl::TQLStream target(copy, qrl::TOpenMode::fmCreate);
  target.CopyFrom(self, region.End - region.Start);
  return copy;
}

std::string SiblingPlayer() {
  char real[PATH_MAX];
  const ssize_t n = ::readlink(kSelf, real, sizeof real - 1);
  if (n <= 0) return {};
  const std::string self(real, static_cast<std::size_t>(n));
  return self.substr(0, self.rfind('/') + 1) + kPlayerName;
}

// Replaces this process with the player; returns only when no player could be started.
void StartPlayer(const std::string& copy) {
  const auto exec = [&copy](const std::string& player, bool searchPath) {
    char* const argv[] = {const_cast<char*>(player.c_str()), const_cast<char*>("-r"),
                          const_cast<char*>(copy.c_str()), nullptr};
    searchPath ? ::execvp(player.c_str(), argv) : ::execv(player.c_str(), argv);
  };
  if (const char* chosen = std::getenv("QRL_PLAYER"); chosen && *chosen) {
    exec(chosen, true);
    std::fprintf(stderr, "quirekick: cannot start the player \"%s\" named by QRL_PLAYER: %s\n", chosen,
                 std::strerror(errno));
    return;
  }
  if (const std::string sibling = SiblingPlayer(); !sibling.empty() && ::access(sibling.c_str(), X_OK) == 0)
    exec(sibling, false);
  exec(kPlayerName, true);
  std::fprintf(stderr,
               "quirekick: Quireleaf Player is not installed: no program \"%s\" was found beside this file or "
               "on the PATH.\nInstall Quireleaf Player, or set QRL_PLAYER to the player program.\n",
               kPlayerName);
}

}  // namespace

int main() {
  qrl::TTempFiles tempFiles;
  std::string copy;
  try {
    copy = CopyOutFlyer(tempFiles);
  } catch (const qrl::EQuireleafInvalidFile& e) {
    std::fprintf(stderr,
                 "quirekick: %s\nThis launcher only works with a flyer packed behind it: open flyers with "
                 "Quireleaf Player, or pack one with \"qrltool pack FLYER -o OUT.exe\".\n",
                 e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quirekick: %s\n", e.what());
    return 2;
  }
  StartPlayer(copy);
  // Only reached when no player started; the list deletes the copy on the way out.
  return 1;
}
