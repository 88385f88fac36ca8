// libFuzzer target over the whole loader: the input is written to a file and loaded as the
// player loads a flyer (scan, then every page built and prepared), then saved as a copy with a
// note. Refusals are exceptions; anything else (a crash, a hang, a leak, an allocation beyond
// the limits) is a finding. Inputs ending in a kickstarter trailer are opened as executables.

#include <dlfcn.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "document/FlyerCopy.h"
#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "imaging/FifLibrary.h"
#include "support/FixedWidthMeasurer.h"

namespace {

// One scratch folder per fuzzing process, removed at exit.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qrl-flyer-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
  }
  ~ScratchFolder() {
    for (const char* name : {"/input.qrl", "/input.exe", "/copy.qrl"}) std::remove((folder_ + name).c_str());
    ::rmdir(folder_.c_str());
  }
  std::string File(const char* name) const { return folder_ + "/" + name; }

 private:
  std::string folder_;
};

bool EndsInTrailer(const std::uint8_t* data, std::size_t size) {
  return size >= 8 && std::memcmp(data + size - 4, "QXLT", 4) == 0;
}

}  // namespace

// The decoder library is instrumented too. Unloaded after a decode, its coverage counters would
// vanish under the fuzzer's feet, so it stays mapped for the whole process.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::dlopen(qrl::LocateFifLibrary().c_str(), RTLD_NOW | RTLD_NODELETE);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFolder scratch;
  static const qrl::test::FixedWidthMeasurer measurer(7, 12);

  const std::string input = scratch.File(EndsInTrailer(data, size) ? "input.exe" : "input.qrl");
  if (FILE* file = std::fopen(input.c_str(), "wb")) {
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) std::abort();
  } else {
    std::abort();
  }

  qrl::TFlyer flyer(measurer);
  qrl::TLoadObserver observer;
  try {
    qrl::TFlyerLoader loader(flyer, observer);
    if (loader.LoadFlyer(input) == qrl::TLoadResult::lrComplete)
      qrl::WriteFlyerCopy(input, scratch.File("copy.qrl"), {"fuzz"}, qrl::TNoteBounds::FromSize(1, 2, 3, 4), "");
  } catch (const std::exception&) {
    // A refused flyer: exactly what damaged input should give.
  }
  flyer.Unload();
  return 0;
}
