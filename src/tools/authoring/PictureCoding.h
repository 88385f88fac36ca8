#pragma once
// Pictures for flyers: a PNG, JPEG or BMP file coded as FIF at the size the player will decode
// it at.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "format/TQLStream.h"

namespace qrl {

// The picture file resampled smoothly to width x height (when its size differs) and coded as
// FIF at the quality (1..100); with a key colour (0x00BBGGRR) coded for showing keyed with it.
// Raises EFileError or EInvalidGraphic for a file that cannot be read as a picture.
std::vector<std::uint8_t> CodePicture(const std::filesystem::path& file, int width, int height, int quality,
                                      std::optional<TColor> key = std::nullopt);

}  // namespace qrl
