#pragma once
// One entry of the element index: an element block found by the scan, read on first need.
// Sounds are no page controls, so an entry holds either a control (kinds 1-3) or a sound.

#include <cstdint>
#include <memory>

#include "elements/TCKbControl.h"
#include "elements/TCKbSound.h"

namespace qrl {

struct TSaveRec {
  std::int16_t Kind = 0;     // as the block gives it; 1 after a placeholder became a picture
  std::uint16_t Id = 0;
  std::int64_t FilePos = 0;  // of the block's 16-bit code
  std::unique_ptr<TCKbControl> Control;  // kinds 1, 2, 3
  std::unique_ptr<TCKbSound> Sound;      // kind 5

  bool IsRead() const { return Control != nullptr || Sound != nullptr; }
};

}  // namespace qrl
