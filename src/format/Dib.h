#pragma once
// The packed bottom-up 24-bit bitmap every decoded picture lives in: a 40-byte information
// header followed by rows of blue-green-red pixels, bottom row first, each row padded to a
// multiple of 4 bytes. Swap files hold exactly these bytes.

#include <cstdint>
#include <cstring>
#include <vector>

namespace qrl {

class TDib {
 public:
  static constexpr int kHeaderSize = 40;

  TDib() = default;
  // A zero-filled (black) picture; both sizes must be at least 1.
  TDib(int width, int height) : bytes_(static_cast<std::size_t>(kHeaderSize + StrideOf(width) * std::int64_t{height})) {
    WriteHeader(width, height);
  }
  // Adopts packed bytes as they are (a swap file read back, a decoder's output).
  static TDib FromBytes(std::vector<std::uint8_t> bytes) {
    TDib dib;
    dib.bytes_ = std::move(bytes);
    return dib;
  }

  // Computed in 64 bits so that very wide pictures cannot overflow before a size check sees them.
  static int StrideOf(int width) { return static_cast<int>((std::int64_t{width} * 24 + 31) / 32 * 4); }

  bool Empty() const { return bytes_.size() < kHeaderSize; }
  int Width() const { return Field32(4); }
  int Height() const { return Field32(8); }
  int Stride() const { return StrideOf(Width()); }

  // Row y counted from the top of the picture (stored row Height() - 1 - y).
  std::uint8_t* ScanLine(int y) { return Pixels() + static_cast<std::size_t>(Height() - 1 - y) * Stride(); }
  const std::uint8_t* ScanLine(int y) const {
    return Pixels() + static_cast<std::size_t>(Height() - 1 - y) * Stride();
  }
  std::uint8_t* Pixels() { return bytes_.data() + kHeaderSize; }
  const std::uint8_t* Pixels() const { return bytes_.data() + kHeaderSize; }

  std::vector<std::uint8_t>& Bytes() { return bytes_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  // Writes the information header: size 40, planes 1, 24 bits, uncompressed, no colour table.
  void WriteHeader(int width, int height) {
    std::memset(bytes_.data(), 0, kHeaderSize);
    SetField32(0, kHeaderSize);
    SetField32(4, width);
    SetField32(8, height);
    bytes_[12] = 1;
    bytes_[14] = 24;
  }

 private:
  int Field32(std::size_t at) const {
    return static_cast<int>(static_cast<std::uint32_t>(bytes_[at]) | (static_cast<std::uint32_t>(bytes_[at + 1]) << 8) |
                            (static_cast<std::uint32_t>(bytes_[at + 2]) << 16) |
                            (static_cast<std::uint32_t>(bytes_[at + 3]) << 24));
  }
  void SetField32(std::size_t at, int value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }

  std::vector<std::uint8_t> bytes_;
};

}  // namespace qrl
