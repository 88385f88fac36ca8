#pragma once
// Decoding a JPEG file held in memory (a placeholder picture) into the player's packed bitmap.

#include <cstddef>
#include <cstdint>

#include "format/Dib.h"

namespace qrl {

// Decodes a complete JPEG file: baseline or progressive; colour, greyscale and CMYK pictures all
// come out as 24-bit blue-green-red rows, bottom row first. Errors raise EJPEG
// "Damn - a JPG error occured : <library message code>"; warnings are ignored, and a file that
// ends early decodes as far as its data reaches (never reading past `size` bytes). Pictures
// beyond the player's block cap raise "Out of memory." (12288).
TDib DecodeJpeg(const std::uint8_t* data, std::size_t size);

}  // namespace qrl
