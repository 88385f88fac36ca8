#pragma once
// The main window's load phases: which stage a flyer is in, and which requests wait for the builder.

#include <cstdint>
#include <initializer_list>

namespace qrl {

enum TLoadPhases : std::uint8_t { lpLoading, lpBuilding, lpShow, lpCloseReq, lpCloseApp, lpOpenReq, lpOpened };

// A set of TLoadPhases held in one byte, bit n for the n-th value.
class TLoadPhase {
 public:
  constexpr TLoadPhase() = default;
  constexpr TLoadPhase(std::initializer_list<TLoadPhases> members) {
    for (TLoadPhases m : members) bits_ |= Bit(m);
  }
  static constexpr TLoadPhase FromByte(std::uint8_t bits) {
    TLoadPhase p;
    p.bits_ = bits & 0x7F;
    return p;
  }

  constexpr bool Has(TLoadPhases m) const { return (bits_ & Bit(m)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint8_t Byte() const { return bits_; }

  constexpr TLoadPhase With(TLoadPhases m) const { return FromByte(bits_ | Bit(m)); }
  constexpr TLoadPhase Without(TLoadPhases m) const { return FromByte(bits_ & ~Bit(m)); }
  constexpr TLoadPhase Intersect(TLoadPhase other) const { return FromByte(bits_ & other.bits_); }

  friend constexpr bool operator==(TLoadPhase, TLoadPhase) = default;

 private:
  static constexpr std::uint8_t Bit(TLoadPhases m) { return static_cast<std::uint8_t>(1u << m); }
  std::uint8_t bits_ = 0;
};

}  // namespace qrl
