#include "document/TTextSection.h"

#include <algorithm>
#include <utility>

namespace qrl {

namespace {

// Upper-case letters of Windows-1252 mapped to lower case; everything else unchanged.
unsigned char LowerCp1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE ligature
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}

bool IsEmptyValue(const TStrings& lines) { return lines.empty() || (lines.size() == 1 && lines[0].empty()); }

}  // namespace

bool SameTextCp1252(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerCp1252(static_cast<unsigned char>(x)) == LowerCp1252(static_cast<unsigned char>(y));
         });
}

int TTextSection::IndexOf(const std::string& key) const {
  for (std::size_t i = 0; i < keys_.size(); ++i)
    if (SameTextCp1252(keys_[i], key)) return static_cast<int>(i);
  return -1;
}

std::string TTextSection::GetValue(const std::string& key) const {
  const int index = IndexOf(key);
  if (index < 0) return {};
  const TStrings& lines = values_[static_cast<std::size_t>(index)];
  return lines.empty() ? std::string() : lines.front();
}

void TTextSection::SetValue(const std::string& key, TStrings lines, int position) {
  int index = IndexOf(key);
  if (index < 0) {
    if (IsEmptyValue(lines)) return;
    keys_.push_back(key);
    values_.push_back(std::move(lines));
    index = Count() - 1;
  } else if (IsEmptyValue(lines)) {
    keys_.erase(keys_.begin() + index);
    values_.erase(values_.begin() + index);
    return;
  } else {
    values_[static_cast<std::size_t>(index)] = std::move(lines);
  }
  if (position < 0) return;
  position = std::min(position, Count() - 1);
  if (position != index) {
    std::swap(keys_[static_cast<std::size_t>(index)], keys_[static_cast<std::size_t>(position)]);
    std::swap(values_[static_cast<std::size_t>(index)], values_[static_cast<std::size_t>(position)]);
  }
}

std::string InfoValue(const TTextSections& sections, const std::string& sectionName, const std::string& key) {
  for (const auto& section : sections)
    if (section->Name == sectionName) return section->GetValue(key);
  return {};
}

}  // namespace qrl
