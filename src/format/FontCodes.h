#pragma once
// Flyer files name typefaces by a 16-bit code: the high byte selects a family group, the low
// byte a member of the group.

#include <array>
#include <cstdint>
#include <string>

namespace qrl {

struct TFontCode {
  std::uint16_t Code;
  const char* Name;
};

inline constexpr std::array<TFontCode, 8> kFontCodes{{
    {0x0001, "Courier"},
    {0x0101, "MS Sans Serif"},
    {0x0102, "System"},
    {0x0103, "Terminal"},
    {0x0301, "MS Serif"},
    {0x0401, "Courier New"},
    {0x0501, "Arial"},
    {0x0701, "Times New Roman"},
}};

// The code of the face name, compared exactly (case and spaces count); a name outside the
// table raises EQuireleafDebugger "Unknown font" (16384).
std::uint16_t FontCodeOf(const std::string& name);

// The face name of a code. An unknown member falls back to its group's first member; groups 2
// and 6 stand for 3 and 7; codes beyond group 7 belong to no group and give "Arial".
std::string FontNameOf(std::uint16_t code);

}  // namespace qrl
