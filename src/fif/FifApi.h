#pragma once
// The entry points of the FIF decoder library, with C linkage. Every function returns a
// status: 0 success, -2 cancelled, any other value an error number. Handles are 32-bit.
// The glue binds these by name at run time; nothing links against them directly.

#include <cstdint>

#define QRL_FIF_LIBRARY_NAME "libquirefif.so"

extern "C" {

// Opens a decompressor and fills *handle.
std::int32_t OpenDecompressor(std::uint32_t* handle);
// Takes the complete FIF byte stream (the library keeps its own copy).
std::int32_t SetFIFBuffer(std::uint32_t handle, const std::uint8_t* data, std::int32_t length);
// The picture's own pixel size (0 when it has none); *reserved is set to 0.
std::int32_t GetOriginalResolution(std::uint32_t handle, std::int32_t* width, std::int32_t* height,
                                   std::int32_t* reserved);
// The physical size as mantissas, a unit code ('"' inches, 'm' micrometres, 0 none) and a decimal exponent.
std::int32_t GetPhysicalDimensions(std::uint32_t handle, std::int32_t* width, std::int32_t* height,
                                   std::int32_t* unit, std::int32_t* exponent);
std::int32_t SetOutputResolution(std::uint32_t handle, std::int32_t width, std::int32_t height);
// (3, 2, 1, 4, 1) asks for 24-bit pixels in blue, green, red order, bottom row first.
std::int32_t SetOutputFormat(std::uint32_t handle, std::int32_t a, std::int32_t b, std::int32_t c,
                             std::int32_t d, std::int32_t e);
// Writes output-height rows of stride bytes starting at firstRow (the bottom row of the picture).
std::int32_t DecompressToBuffer(std::uint32_t handle, std::uint8_t* firstRow, std::int32_t r1, std::int32_t r2,
                                std::int32_t r3, std::int32_t r4, std::int32_t stride);
std::int32_t ClearFIFBuffer(std::uint32_t handle);
std::int32_t CloseDecompressor(std::uint32_t handle);

// Looked up with the others but never called by the player.
std::int32_t SetColorTableFormat(std::uint32_t handle, std::int32_t format);
std::int32_t SetOutputColorTable(std::uint32_t handle, const void* table, std::int32_t count);
std::int32_t GetOutputColorTable(std::uint32_t handle, void* table, std::int32_t count);
std::int32_t SetProgressiveFIFBuffer(std::uint32_t handle, const std::uint8_t* data, std::int32_t length);
std::int32_t SetProgressiveStep(std::uint32_t handle, std::int32_t step);
std::int32_t StartProgressiveDecompression(std::uint32_t handle);
std::int32_t ProgressiveDecompress(std::uint32_t handle, std::int32_t* done);
std::int32_t EndProgressiveDecompression(std::uint32_t handle);

}  // extern "C"
