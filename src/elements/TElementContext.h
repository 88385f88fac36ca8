#pragma once
// What elements need from the flyer that loads them: its temporary files, the text measurer,
// the screen's depth and metrics, and the memory scheme shared by all its image elements.
// The flyer owns one context and keeps it alive longer than every element made with it.

#include <cstdint>
#include <functional>
#include <vector>

#include "elements/AvailableMemory.h"
#include "imaging/TScreenMetrics.h"

namespace qrl {

class TCKbImage;
class TTempFiles;
class TTextMeasurer;

inline constexpr std::int64_t kDefaultSwapThreshold = 750000;

// Image elements whose bitmap may be swapped out, oldest release first. Entries may repeat.
using TSwapCandidates = std::vector<TCKbImage*>;

struct TElementContext {
  TTempFiles* TempFiles = nullptr;           // WAVE and swap files; needed by sounds and images
  const TTextMeasurer* Measurer = nullptr;   // needed by text elements of format code 106 and later
  int ScreenBitsPerPixel = 24;               // 8 turns the colour-table work on
  TSwapCandidates SwapCandidates;
  std::function<std::int64_t()> AvailableMemory = ReadAvailableMemory;
  std::int64_t SwapThreshold = kDefaultSwapThreshold;  // bytes; below it bitmaps are swapped out
  TScreenMetrics ScreenMetrics;              // for FIF decoding
};

}  // namespace qrl
