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
// Decoded pictures one flyer may keep in memory before the oldest released ones are swapped out.
inline constexpr std::int64_t kDefaultPictureBudget = std::int64_t{64} << 20;

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
  // The flyer's canvas: a picture is decoded no larger than the part of its placements that
  // lies on the canvas, at the largest zoom the screen allows. 0: not known, nothing is clipped.
  std::int32_t CanvasWidth = 0;
  std::int32_t CanvasHeight = 0;
  std::int64_t ResidentPictureBytes = 0;     // decoded pictures now in memory
  std::int64_t PictureBudget = kDefaultPictureBudget;
};

}  // namespace qrl
