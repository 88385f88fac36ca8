#include "tools/authoring/ManifestJson.h"

#include <algorithm>
#include <string>

#include "format/CodePage.h"

namespace qrl {

namespace {

struct TFrame {
  bool Array = false;
  std::size_t Index = 0;
  std::string Place;
  std::string Key;
  std::set<std::string> Keys;
};

std::string ChildPlace(const std::vector<TFrame>& frames) {
  if (frames.empty()) return {};
  const TFrame& top = frames.back();
  return top.Array ? EntryPlace(top.Place, top.Index) : FieldPlace(top.Place, top.Key);
}

// A value as the author wrote it, shortened (at a character boundary) when long.
std::string Describe(const TJson& value) {
  std::string text = value.dump();
  if (text.size() <= 40) return text;
  std::size_t cut = 37;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

std::string CannotStore(char32_t c) {
  return "the character " + CharacterCode(c) +
         " cannot be stored: flyer texts are Windows-1252, without control characters";
}

}  // namespace

std::optional<TStrings> ReadLines(const TJson& value, const std::string& place, TManifestErrors& errors) {
  const bool ok = value.is_string() || (value.is_array() && std::all_of(value.begin(), value.end(), [](const TJson& line) {
                                          return line.is_string();
                                        }));
  if (!ok) {
    errors.Add(place, "must be a string or an array of strings, not " + Describe(value));
    return std::nullopt;
  }
  TStrings lines;
  bool good = true;
  const auto add = [&](const TJson& line, const std::string& at) {
    char32_t bad = 0;
    if (auto bytes = StorableText(line.get<std::string>(), &bad)) {
      lines.push_back(std::move(*bytes));
    } else {
      errors.Add(at, CannotStore(bad));
      good = false;
    }
  };
  if (value.is_string())
    add(value, place);
  else
    for (std::size_t i = 0; i < value.size(); ++i) add(value[i], EntryPlace(place, i));
  return good ? std::optional(std::move(lines)) : std::nullopt;
}

std::optional<std::string> StorableText(const std::string& utf8, char32_t* bad) {
  char32_t unstorable = 0;
  auto bytes = Utf8ToCp1252(utf8, &unstorable);
  if (bytes) {
    // Line breaks and the like are the manifest's structure, never part of a string.
    const auto control = std::find_if(bytes->begin(), bytes->end(), [](char b) {
      return static_cast<unsigned char>(b) < 0x20 || b == 0x7F;
    });
    if (control == bytes->end()) return bytes;
    unstorable = static_cast<unsigned char>(*control);
  }
  if (bad) *bad = unstorable;
  return std::nullopt;
}

TJson ParseManifestJson(const std::string& text, TManifestErrors& errors) {
  std::vector<TFrame> frames;
  bool duplicates = false;
  const TJson::parser_callback_t watch = [&](int, TJson::parse_event_t event, TJson& parsed) {
    using E = TJson::parse_event_t;
    switch (event) {
      case E::object_start:
      case E::array_start: {
        TFrame frame;
        frame.Array = event == E::array_start;
        frame.Place = ChildPlace(frames);
        if (!frames.empty() && frames.back().Array) ++frames.back().Index;
        frames.push_back(std::move(frame));
        break;
      }
      case E::object_end:
      case E::array_end:
        frames.pop_back();
        break;
      case E::key:
        frames.back().Key = parsed.get<std::string>();
        if (!frames.back().Keys.insert(frames.back().Key).second) {
          errors.Add(ChildPlace(frames), "given twice in the same object");
          duplicates = true;
        }
        break;
      case E::value:
        if (!frames.empty() && frames.back().Array) ++frames.back().Index;
        break;
    }
    return true;
  };
  try {
    TJson json = TJson::parse(text, watch, true, true);
    return duplicates ? TJson() : json;
  } catch (const TJson::parse_error& e) {
    // The library's own prefix ("[json.exception.parse_error.101] ") tells an author nothing.
    const std::string what = e.what();
    const auto bracket = what.find("] ");
    errors.Add("", "not valid JSON: " + (bracket == std::string::npos ? what : what.substr(bracket + 2)));
    return TJson();
  }
}

TFields::TFields(const TJson& json, std::string place, TManifestErrors& errors)
    : place_(std::move(place)), errors_(errors) {
  if (json.is_object())
    object_ = &json;
  else
    errors_.Add(place_, "must be an object {...}, not " + Describe(json));
}

bool TFields::Has(const std::string& key) const { return object_ && object_->contains(key); }

const TJson* TFields::Get(const std::string& key) {
  if (!Has(key)) return nullptr;
  used_.insert(key);
  return &(*object_)[key];
}

std::optional<std::int64_t> TFields::Integer(const std::string& key, std::int64_t min, std::int64_t max) {
  const TJson* v = Get(key);
  if (!v) return std::nullopt;
  if (v->is_number_unsigned() && v->get<std::uint64_t>() <= static_cast<std::uint64_t>(max) &&
      static_cast<std::int64_t>(v->get<std::uint64_t>()) >= min)
    return static_cast<std::int64_t>(v->get<std::uint64_t>());
  if (v->is_number_integer() && !v->is_number_unsigned() && v->get<std::int64_t>() >= min && v->get<std::int64_t>() <= max)
    return v->get<std::int64_t>();
  Fail(key, "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max) + ", not " + Describe(*v));
  return std::nullopt;
}

std::int64_t TFields::Integer(const std::string& key, std::int64_t min, std::int64_t max, std::int64_t fallback) {
  return Integer(key, min, max).value_or(fallback);
}

std::optional<double> TFields::Number(const std::string& key, double min, double max) {
  const TJson* v = Get(key);
  if (!v) return std::nullopt;
  if (v->is_number() && v->get<double>() >= min && v->get<double>() <= max) return v->get<double>();
  char range[64];
  std::snprintf(range, sizeof range, "must be a number from %g to %g, not ", min, max);
  Fail(key, range + Describe(*v));
  return std::nullopt;
}

double TFields::Number(const std::string& key, double min, double max, double fallback) {
  return Number(key, min, max).value_or(fallback);
}

bool TFields::Bool(const std::string& key, bool fallback) {
  const TJson* v = Get(key);
  if (!v) return fallback;
  if (v->is_boolean()) return v->get<bool>();
  Fail(key, "must be true or false, not " + Describe(*v));
  return fallback;
}

std::optional<std::string> TFields::String(const std::string& key) {
  const TJson* v = Get(key);
  if (!v) return std::nullopt;
  if (v->is_string() && !v->get<std::string>().empty()) return v->get<std::string>();
  Fail(key, "must be a non-empty string, not " + Describe(*v));
  return std::nullopt;
}

std::optional<std::string> TFields::Text(const std::string& key, bool allowEmpty) {
  const TJson* v = Get(key);
  if (!v) return std::nullopt;
  if (!v->is_string() || (!allowEmpty && v->get<std::string>().empty())) {
    Fail(key, std::string("must be a ") + (allowEmpty ? "" : "non-empty ") + "string, not " + Describe(*v));
    return std::nullopt;
  }
  char32_t bad = 0;
  auto bytes = StorableText(v->get<std::string>(), &bad);
  if (!bytes) Fail(key, CannotStore(bad));
  return bytes;
}

std::optional<TStrings> TFields::Lines(const std::string& key) {
  const TJson* v = Get(key);
  return v ? ReadLines(*v, Place(key), errors_) : std::nullopt;
}

std::optional<TColor> TFields::Colour(const std::string& key) {
  const TJson* v = Get(key);
  if (!v) return std::nullopt;
  if (v->is_string()) {
    const std::string& s = v->get_ref<const std::string&>();
    if (s.size() == 7 && s[0] == '#' && s.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
      const auto rgb = static_cast<TColor>(std::stoul(s.substr(1), nullptr, 16));
      return (rgb >> 16) | (rgb & 0x00FF00) | ((rgb & 0xFF) << 16);  // red goes to the low byte
    }
  }
  Fail(key, "must be a colour \"#RRGGBB\", not " + Describe(*v));
  return std::nullopt;
}

TColor TFields::Colour(const std::string& key, TColor fallback) { return Colour(key).value_or(fallback); }

std::optional<std::string> TFields::Choice(const std::string& key, const std::vector<std::string>& words) {
  const TJson* v = Get(key);
  if (!v) return std::nullopt;
  if (v->is_string())
    for (const auto& word : words)
      if (v->get<std::string>() == word) return word;
  std::string list;
  for (const auto& word : words) list += (list.empty() ? "\"" : ", \"") + word + "\"";
  Fail(key, "must be one of " + list + ", not " + Describe(*v));
  return std::nullopt;
}

std::optional<TFields::TRect> TFields::Rect(const std::string& key) {
  const TJson* v = Get(key);
  if (!v) return std::nullopt;
  const auto within = [](const TJson& n, std::int64_t min, std::int64_t max) {
    return n.is_number_integer() && n.get<std::int64_t>() >= min && n.get<std::int64_t>() <= max;
  };
  if (v->is_array() && v->size() == 4 && within((*v)[0], -kMaxCoordinate, kMaxCoordinate) &&
      within((*v)[1], -kMaxCoordinate, kMaxCoordinate) && within((*v)[2], 1, kMaxSide) && within((*v)[3], 1, kMaxSide))
    return TRect{(*v)[0].get<std::int32_t>(), (*v)[1].get<std::int32_t>(), (*v)[2].get<std::int32_t>(),
                 (*v)[3].get<std::int32_t>()};
  Fail(key, "must be [left, top, width, height] in whole pixels, width and height from 1 to " +
                std::to_string(kMaxSide) + ", not " + Describe(*v));
  return std::nullopt;
}

void TFields::Finish() {
  if (!object_) return;
  for (const auto& [key, value] : object_->items())
    if (!used_.count(key)) errors_.Add(Place(key), "unknown field (misspelt, or it does not apply here)");
}

}  // namespace qrl
