#pragma once
// The FIF container: signature, version, picture size, optional physical size, the coding
// parameters of each plane kind, the range-coded payload and a closing CRC-32
// (docs/fif-format.md describes every byte).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qrl {

inline constexpr std::array<std::uint8_t, 4> kFifSignature{'Q', 'F', 'I', 'F'};
// Streams are written in the newest version; every version from the oldest on still decodes.
inline constexpr std::uint8_t kFifVersion = 4;
inline constexpr std::uint8_t kFifOldestVersion = 1;
inline constexpr int kFifDefaultQuality = 75;
inline constexpr int kFifMaxPictureSide = 65535;
inline constexpr std::int64_t kFifMaxPicturePixels = std::int64_t{1} << 28;

inline constexpr std::uint8_t kFifFlagGrey = 0x01;
inline constexpr std::uint8_t kFifFlagPhysicalSize = 0x02;
inline constexpr std::uint8_t kFifFlagKeyed = 0x04;  // version 2 on

// Keyed pictures keep every pixel outside their key region farther than this from the key colour
// (largest channel difference): the tolerance the player keys pictures with.
inline constexpr int kFifKeyTolerance = 40;

inline constexpr int kFifMinBlockLog2 = 0;  // single pixels at the smallest
inline constexpr int kFifMaxBlockLog2 = 7;  // 128 x 128 at the largest
inline constexpr int kFifMaxLevels = kFifMaxBlockLog2 - kFifMinBlockLog2 + 1;
inline constexpr int kFifMaxSearchRadius = 63;
inline constexpr int kFifMaxContrastLevels = 32;

// Physical size as mantissas, a unit ('"' inches or 'm' micrometres) and a decimal exponent:
// width * 10^exponent units wide.
struct TFifPhysicalSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  char unit = '"';
  std::int32_t exponent = 0;
  bool operator==(const TFifPhysicalSize&) const = default;
};

// The colour a keyed picture is shown without: its key region comes out as exactly this colour.
struct TFifKeyColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const TFifKeyColour&) const = default;
};

// How one kind of plane (luma or chroma) is coded.
struct TFifPlaneParams {
  int topLog2 = 5;         // side of the top-level range blocks
  int minLog2 = 2;         // side of the smallest range blocks
  int contrastLevels = 8;  // contrast index k in -levels..levels
  int contrastDen = 8;     // contrast = k / contrastDen
  // Per quadtree level, from the top: domain offsets -radius..radius in steps of `step`
  // pixels of the half-size plane, and the quantiser step of the block means (0..255 scale).
  std::array<int, kFifMaxLevels> searchRadius{};
  std::array<int, kFifMaxLevels> searchStep{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<int, kFifMaxLevels> meanStep{2, 2, 2, 2, 2, 2, 2, 2};
  int Levels() const { return topLog2 - minLog2 + 1; }
  bool operator==(const TFifPlaneParams&) const = default;
};

struct TFifHeader {
  int version = kFifVersion;
  int width = 0;
  int height = 0;
  bool grey = false;
  int quality = kFifDefaultQuality;  // what the encoder was asked for; informational
  std::optional<TFifPhysicalSize> physicalSize;
  std::optional<TFifKeyColour> key;  // version 2 on
  TFifPlaneParams luma;
  TFifPlaneParams chroma;  // unused for grey pictures
  bool operator==(const TFifHeader&) const = default;
};

// Appends the header bytes (always in the newest version).
void WriteFifHeader(const TFifHeader& header, std::vector<std::uint8_t>& out);
// Reads and checks the header; returns its length in bytes. Throws EFifError fsNotFif,
// fsUnsupportedVersion, fsBadHeader or fsDamaged (too short). Does not look at the checksum.
std::size_t ReadFifHeader(std::span<const std::uint8_t> data, TFifHeader& header);
// Appends the CRC-32 of everything in out so far (the closing field of every stream).
void AppendFifChecksum(std::vector<std::uint8_t>& out);
// True when the last four bytes are the CRC-32 of the bytes before them.
bool FifChecksumMatches(std::span<const std::uint8_t> data);
std::uint32_t Crc32(std::span<const std::uint8_t> data);

}  // namespace qrl
