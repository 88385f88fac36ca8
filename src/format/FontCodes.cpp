#include "format/FontCodes.h"

#include <algorithm>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

const TFontCode* Find(std::uint16_t code) {
  const auto it = std::find_if(kFontCodes.begin(), kFontCodes.end(), [code](const TFontCode& f) { return f.Code == code; });
  return it == kFontCodes.end() ? nullptr : &*it;
}

}  // namespace

std::uint16_t FontCodeOf(const std::string& name) {
  const auto it = std::find_if(kFontCodes.begin(), kFontCodes.end(), [&name](const TFontCode& f) { return name == f.Name; });
  if (it == kFontCodes.end()) throw EQuireleafDebugger(ecUnknownFont);
  return it->Code;
}

std::string FontNameOf(std::uint16_t code) {
  if (const TFontCode* exact = Find(code)) return exact->Name;
  unsigned group = code >> 8;
  if (group >= 8) return "Arial";
  if (group == 2 || group == 6) ++group;
  // Every group from 0 to 7 has a first member in the table, so one fallback always ends.
  return Find(static_cast<std::uint16_t>(group << 8 | 1))->Name;
}

}  // namespace qrl
