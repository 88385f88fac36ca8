#pragma once
// A named section of the flyer information: keys with multi-line values, in display order.
// Keys are compared without regard to case; no key ever holds an empty value. Keys are indexed,
// so filling a section with n items takes time in proportion to n.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "format/TQLStream.h"

namespace qrl {

class TTextSection {
 public:
  std::string Name;

  int Count() const { return static_cast<int>(entries_.size() - removed_); }
  const std::string& Key(int index) const { return Entry(index).Key; }
  const TStrings& Value(int index) const { return Entry(index).Value; }
  // Index of the key (compared without regard to case), or -1.
  int IndexOf(const std::string& key) const;

  // The first line of the key's value; empty when the key is absent.
  std::string GetValue(const std::string& key) const;

  // Stores `lines` as the key's value. An empty value (no lines, or one empty line) removes the
  // key. When the key exists afterwards and position >= 0 (lowered to the last index), the
  // entry trades places with the one at position; -1 keeps the order of arrival.
  void SetValue(const std::string& key, TStrings lines, int position);

 private:
  struct TEntry {
    std::string Key;
    TStrings Value;
    bool Removed = false;
  };
  const TEntry& Entry(int index) const;
  // Drops removed entries and renumbers the index; removals only mark entries, so a run of
  // them costs no more than one pass.
  void Compact() const;
  // The slot in entries_ of a key, or -1.
  std::ptrdiff_t Slot(const std::string& key) const;

  mutable std::vector<TEntry> entries_;
  mutable std::size_t removed_ = 0;
  mutable std::unordered_map<std::string, std::size_t> slots_;  // folded key -> slot
};

using TTextSections = std::vector<std::unique_ptr<TTextSection>>;

// The first section named exactly `sectionName` (case counts), then its GetValue(key);
// empty when there is no such section.
std::string InfoValue(const TTextSections& sections, const std::string& sectionName, const std::string& key);

// Windows-1252 case-insensitive equality, as key lookups use it.
bool SameTextCp1252(const std::string& a, const std::string& b);

}  // namespace qrl
