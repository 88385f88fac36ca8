#include "elements/WebLinkSafety.h"

#include <algorithm>
#include <cctype>

namespace qrl {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

// The authority part after "//" must name a host before any path, query or fragment.
bool HasHost(std::string_view rest) {
  const std::size_t end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, end);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  return !authority.empty() && authority.front() != ':';
}

}  // namespace

bool IsSafeWebLink(std::string_view address) {
  if (std::any_of(address.begin(), address.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
      }))
    return false;
  if (StartsWithNoCase(address, "http://")) return HasHost(address.substr(7));
  if (StartsWithNoCase(address, "https://")) return HasHost(address.substr(8));
  if (StartsWithNoCase(address, "mailto:")) return address.size() > 7;
  return false;
}

}  // namespace qrl
