#pragma once
// The codecs FIF is measured against, in process: libjpeg-turbo and libwebp, each encoding a
// picture at the quality whose file comes closest to a given size and decoding it back.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/Dib.h"

namespace qrl::bench {

enum class TPeer { Jpeg, WebP };

const char* PeerName(TPeer peer);
std::vector<std::uint8_t> PeerEncode(TPeer peer, const TDib& picture, int quality);
TDib PeerDecode(TPeer peer, const std::vector<std::uint8_t>& bytes);
// The encoding whose size is closest to target bytes (a search over the quality).
std::vector<std::uint8_t> PeerAtSize(TPeer peer, const TDib& picture, std::size_t target);

// Keys cubic (a = -0.5) resampling with pixel centres aligned.
TDib Bicubic(const TDib& from, int width, int height);

}  // namespace qrl::bench
