// A stand-in for the FIF decoder library: every entry point answers as the test scripted it and
// notes the call. DecompressToBuffer fills stored row r, pixel x with blue r, green x, red 0x80.
// Built once more without CloseDecompressor, to stand for a library that lacks an entry point.

#include <cstring>

#include "fif/FifApi.h"
#include "imaging/FakeFif.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

TFakeFifScript script;
TFakeFifRecord record;
constexpr std::uint32_t kHandle = 0x5151;

std::int32_t Note(const char* name, std::int32_t status) {
  const std::size_t used = std::strlen(record.calls);
  if (used + std::strlen(name) + 2 <= sizeof(record.calls)) {
    std::strcat(record.calls, name);
    std::strcat(record.calls, " ");
  }
  return status;
}

}  // namespace

FAKE_EXPORT void FakeFifSetScript(const TFakeFifScript* s) {
  script = *s;
  record = TFakeFifRecord{};
}

FAKE_EXPORT const TFakeFifRecord* FakeFifRecord() { return &record; }

FAKE_EXPORT std::int32_t OpenDecompressor(std::uint32_t* handle) {
  *handle = kHandle;
  record.openedHandle = kHandle;
  return Note("Open", script.openStatus);
}

FAKE_EXPORT std::int32_t SetFIFBuffer(std::uint32_t, const std::uint8_t* data, std::int32_t length) {
  record.dataLength = length;
  record.firstDataByte = length > 0 ? data[0] : 0;
  return Note("SetFIFBuffer", script.setBufferStatus);
}

FAKE_EXPORT std::int32_t GetOriginalResolution(std::uint32_t, std::int32_t* width, std::int32_t* height,
                                               std::int32_t* reserved) {
  *width = script.ownWidth;
  *height = script.ownHeight;
  *reserved = 0;
  return Note("GetOriginalResolution", 0);
}

FAKE_EXPORT std::int32_t GetPhysicalDimensions(std::uint32_t, std::int32_t* width, std::int32_t* height,
                                               std::int32_t* unit, std::int32_t* exponent) {
  *width = script.physicalWidth;
  *height = script.physicalHeight;
  *unit = script.unit;
  *exponent = script.exponent;
  return Note("GetPhysicalDimensions", 0);
}

FAKE_EXPORT std::int32_t SetOutputResolution(std::uint32_t, std::int32_t width, std::int32_t height) {
  record.outputWidth = width;
  record.outputHeight = height;
  return Note("SetOutputResolution", script.setResolutionStatus);
}

FAKE_EXPORT std::int32_t SetOutputFormat(std::uint32_t, std::int32_t a, std::int32_t b, std::int32_t c,
                                         std::int32_t d, std::int32_t e) {
  const std::int32_t format[5] = {a, b, c, d, e};
  std::memcpy(record.format, format, sizeof format);
  return Note("SetOutputFormat", script.setFormatStatus);
}

FAKE_EXPORT std::int32_t DecompressToBuffer(std::uint32_t, std::uint8_t* firstRow, std::int32_t, std::int32_t,
                                            std::int32_t, std::int32_t, std::int32_t stride) {
  record.stride = stride;
  if (script.decompressStatus == 0) {
    for (std::int32_t r = 0; r < record.outputHeight; ++r) {
      std::uint8_t* row = firstRow + static_cast<std::ptrdiff_t>(r) * stride;
      std::memset(row, 0xEE, static_cast<std::size_t>(stride));
      for (std::int32_t x = 0; x < record.outputWidth; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(r);
        row[3 * x + 1] = static_cast<std::uint8_t>(x);
        row[3 * x + 2] = 0x80;
      }
    }
  }
  return Note("DecompressToBuffer", script.decompressStatus);
}

FAKE_EXPORT std::int32_t ClearFIFBuffer(std::uint32_t) { return Note("ClearFIFBuffer", script.clearStatus); }

#ifndef FAKE_FIF_WITHOUT_CLOSE
FAKE_EXPORT std::int32_t CloseDecompressor(std::uint32_t handle) {
  record.closedHandle = handle;
  return Note("Close", script.closeStatus);
}
#endif

FAKE_EXPORT std::int32_t SetColorTableFormat(std::uint32_t, std::int32_t) { return Note("Unexpected", 0); }
FAKE_EXPORT std::int32_t SetOutputColorTable(std::uint32_t, const void*, std::int32_t) {
  return Note("Unexpected", 0);
}
FAKE_EXPORT std::int32_t GetOutputColorTable(std::uint32_t, void*, std::int32_t) { return Note("Unexpected", 0); }
FAKE_EXPORT std::int32_t SetProgressiveFIFBuffer(std::uint32_t, const std::uint8_t*, std::int32_t) {
  return Note("Unexpected", 0);
}
FAKE_EXPORT std::int32_t SetProgressiveStep(std::uint32_t, std::int32_t) { return Note("Unexpected", 0); }
FAKE_EXPORT std::int32_t StartProgressiveDecompression(std::uint32_t) { return Note("Unexpected", 0); }
FAKE_EXPORT std::int32_t ProgressiveDecompress(std::uint32_t, std::int32_t*) { return Note("Unexpected", 0); }
FAKE_EXPORT std::int32_t EndProgressiveDecompression(std::uint32_t) { return Note("Unexpected", 0); }
