#pragma once
// Reading the manifest's JSON: parsing with comments allowed and duplicate keys refused, and
// typed access to the fields of one object that reports every wrong field with its place.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "format/TQLStream.h"
#include "tools/authoring/ManifestError.h"

namespace qrl {

// Objects keep the author's order: it decides the order of information sections and items.
using TJson = nlohmann::ordered_json;

// Parses manifest text; a syntax error or a key given twice in one object is reported, and the
// result is then null.
TJson ParseManifestJson(const std::string& text, TManifestErrors& errors);

// The fields of one JSON object. Every getter checks the type and range of its field and
// reports a mistake (returning nothing) when it is wrong; Finish reports the fields nobody
// asked for, which are misspelt or do not apply.
class TFields {
 public:
  // Reports a mistake when json is not an object; all getters then return nothing.
  TFields(const TJson& json, std::string place, TManifestErrors& errors);
  TFields(const TFields&) = delete;
  TFields& operator=(const TFields&) = delete;

  bool IsObject() const { return object_ != nullptr; }
  const std::string& Place() const { return place_; }
  std::string Place(const std::string& key) const { return FieldPlace(place_, key); }
  TManifestErrors& Errors() const { return errors_; }
  bool Has(const std::string& key) const;
  // The field as it stands (marking it as used), or nullptr.
  const TJson* Get(const std::string& key);
  // Reports a mistake at the field (an empty key: at the object itself).
  void Fail(const std::string& key, const std::string& message) const {
    errors_.Add(key.empty() ? place_ : Place(key), message);
  }

  // A whole number in [min, max].
  std::optional<std::int64_t> Integer(const std::string& key, std::int64_t min, std::int64_t max);
  std::int64_t Integer(const std::string& key, std::int64_t min, std::int64_t max, std::int64_t fallback);
  std::optional<double> Number(const std::string& key, double min, double max);
  double Number(const std::string& key, double min, double max, double fallback);
  bool Bool(const std::string& key, bool fallback);
  // A non-empty string as written (UTF-8).
  std::optional<std::string> String(const std::string& key);
  // A string as Windows-1252 bytes; empty strings allowed only with allowEmpty.
  std::optional<std::string> Text(const std::string& key, bool allowEmpty = false);
  // One string or an array of strings, as Windows-1252 lines.
  std::optional<TStrings> Lines(const std::string& key);
  // "#RRGGBB" as 0x00BBGGRR.
  std::optional<TColor> Colour(const std::string& key);
  TColor Colour(const std::string& key, TColor fallback);
  // One of the given words.
  std::optional<std::string> Choice(const std::string& key, const std::vector<std::string>& words);
  // [left, top, width, height]: positions within +-kMaxCoordinate, sizes from 1 to kMaxSide.
  struct TRect {
    std::int32_t Left, Top, Width, Height;
  };
  static constexpr std::int32_t kMaxCoordinate = 32767;
  static constexpr std::int32_t kMaxSide = 16384;
  std::optional<TRect> Rect(const std::string& key);

  // Reports every field not asked for.
  void Finish();

 private:
  const TJson* object_ = nullptr;
  std::string place_;
  TManifestErrors& errors_;
  std::set<std::string> used_;
};

// A string or an array of strings at place, as Windows-1252 lines; each wrong line is reported.
std::optional<TStrings> ReadLines(const TJson& value, const std::string& place, TManifestErrors& errors);

// Windows-1252 bytes of UTF-8 text; nothing when a character has no place in that code page or
// is a control character (which manifest strings cannot carry), the first such character then
// going to *bad.
std::optional<std::string> StorableText(const std::string& utf8, char32_t* bad = nullptr);

}  // namespace qrl
