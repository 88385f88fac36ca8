// libFuzzer target over the whole loader: the input is loaded from memory as the player loads a
// flyer (scan, then every page built and prepared), then copied in memory with a new note.
// Refusals are exceptions; anything else (a crash, a hang, a leak, an allocation beyond the
// limits) is a finding. Inputs ending in a kickstarter trailer are opened as executables. Texts
// are measured character by character, as a real font does, so a layout that measures the same
// text over and over runs into the time limit.

#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "document/FlyerCopy.h"
#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "imaging/FifLibrary.h"
#include "support/ProportionalMeasurer.h"

namespace {

// A small screen keeps each unit quick under the sanitizers: pictures are decoded no larger
// than the canvas at the largest zoom this screen allows.
qrl::TScreenMetrics SmallScreen() {
  qrl::TScreenMetrics screen;
  screen.horzRes = 800;
  screen.vertRes = 600;
  return screen;
}

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
  static const qrl::test::ProportionalMeasurer measurer;
  static const qrl::TScreenMetrics screen = SmallScreen();
  const char* name = EndsInTrailer(data, size) ? "input.exe" : "input.qrl";

  qrl::TFlyer flyer(measurer, screen);
  qrl::TLoadObserver observer;
  try {
    qrl::TFlyerLoader loader(flyer, observer);
    if (loader.LoadFlyer(std::make_unique<qrl::TQLStream>(std::vector<std::uint8_t>(data, data + size), name)) ==
        qrl::TLoadResult::lrComplete) {
      qrl::TQLStream source(std::vector<std::uint8_t>(data, data + size), name);
      qrl::TQLStream copy(std::vector<std::uint8_t>{}, "copy.qrl");
      qrl::CopyFlyerWithNote(source, copy, {"fuzz"}, qrl::TNoteBounds::FromSize(1, 2, 3, 4));
    }
  } catch (const std::exception&) {
    // A refused flyer: exactly what damaged input should give.
  }
  flyer.Unload();
  return 0;
}
