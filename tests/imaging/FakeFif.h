#pragma once
// Control of the fake FIF decoder library the imaging tests bind instead of the real one: the
// test scripts what each entry point answers and reads back what the glue asked of it.

#include <cstdint>

struct TFakeFifScript {
  std::int32_t openStatus = 0;
  std::int32_t setBufferStatus = 0;
  std::int32_t setResolutionStatus = 0;
  std::int32_t setFormatStatus = 0;
  std::int32_t decompressStatus = 0;
  std::int32_t clearStatus = 0;
  std::int32_t closeStatus = 0;
  std::int32_t ownWidth = 0;  // answered by GetOriginalResolution
  std::int32_t ownHeight = 0;
  std::int32_t physicalWidth = 0;  // answered by GetPhysicalDimensions
  std::int32_t physicalHeight = 0;
  std::int32_t unit = 0;
  std::int32_t exponent = 0;
};

struct TFakeFifRecord {
  char calls[512];  // entry points called, in order, each followed by a space
  std::int32_t outputWidth;
  std::int32_t outputHeight;
  std::int32_t format[5];
  std::int32_t stride;
  std::int32_t dataLength;
  std::uint8_t firstDataByte;
  std::uint32_t closedHandle;
  std::uint32_t openedHandle;
};

extern "C" {
// Sets the answers of every following call and clears the record.
void FakeFifSetScript(const TFakeFifScript* script);
const TFakeFifRecord* FakeFifRecord();
}
