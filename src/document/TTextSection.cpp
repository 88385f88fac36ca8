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

// The key as the index holds it: letters in lower case, so that lookups ignore case.
std::string FoldedKey(const std::string& key) {
  std::string folded = key;
  for (char& c : folded) c = static_cast<char>(LowerCp1252(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace

bool SameTextCp1252(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerCp1252(static_cast<unsigned char>(x)) == LowerCp1252(static_cast<unsigned char>(y));
         });
}

void TTextSection::Compact() const {
  if (removed_ == 0) return;
  std::erase_if(entries_, [](const TEntry& e) { return e.Removed; });
  removed_ = 0;
  slots_.clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) slots_.emplace(FoldedKey(entries_[i].Key), i);
}

const TTextSection::TEntry& TTextSection::Entry(int index) const {
  Compact();
  return entries_.at(static_cast<std::size_t>(index));
}

std::ptrdiff_t TTextSection::Slot(const std::string& key) const {
  const auto it = slots_.find(FoldedKey(key));
  return it == slots_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

int TTextSection::IndexOf(const std::string& key) const {
  Compact();
  return static_cast<int>(Slot(key));
}

std::string TTextSection::GetValue(const std::string& key) const {
  const std::ptrdiff_t slot = Slot(key);
  if (slot < 0) return {};
  const TStrings& lines = entries_[static_cast<std::size_t>(slot)].Value;
  return lines.empty() ? std::string() : lines.front();
}

void TTextSection::SetValue(const std::string& key, TStrings lines, int position) {
  const std::ptrdiff_t slot = Slot(key);
  if (slot < 0) {
    if (IsEmptyValue(lines)) return;
    slots_.emplace(FoldedKey(key), entries_.size());
    entries_.push_back({key, std::move(lines)});
  } else if (IsEmptyValue(lines)) {
    entries_[static_cast<std::size_t>(slot)].Removed = true;
    ++removed_;
    slots_.erase(FoldedKey(key));
    // Removed entries are dropped once they make up half of the list.
    if (removed_ * 2 > entries_.size()) Compact();
    return;
  } else {
    entries_[static_cast<std::size_t>(slot)].Value = std::move(lines);
  }
  if (position < 0) return;
  const int index = IndexOf(key);
  position = std::min(position, Count() - 1);
  if (position != index) {
    auto& a = entries_[static_cast<std::size_t>(index)];
    auto& b = entries_[static_cast<std::size_t>(position)];
    std::swap(a, b);
    slots_[FoldedKey(a.Key)] = static_cast<std::size_t>(index);
    slots_[FoldedKey(b.Key)] = static_cast<std::size_t>(position);
  }
}

std::string InfoValue(const TTextSections& sections, const std::string& sectionName, const std::string& key) {
  for (const auto& section : sections)
    if (section->Name == sectionName) return section->GetValue(key);
  return {};
}

}  // namespace qrl
