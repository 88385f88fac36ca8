// Reading a manifest into a TManifest: every field checked where it stands, every name
// resolved, every mistake reported with its place.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

#include "elements/TCKbClick.h"
#include "fif/FifBitstream.h"
#include "format/FlyerLayout.h"
#include "format/FileContents.h"
#include "format/FontCodes.h"
#include "format/QuireleafException.h"
#include "tools/authoring/Manifest.h"

namespace qrl {

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kMaxCanvasSide = 16384;
constexpr double kMaxSoundSeconds = 60.0;
constexpr TRect kDefaultNoteBounds{340, 20, 277, 139};
// A page slot whose "use" is not resolved yet (or names no placement).
constexpr std::size_t kUnresolved = static_cast<std::size_t>(-1);

// A note name such as "A4", "C#5" or "Bb3" as its frequency (A4 = 440 Hz, equal temperament).
std::optional<double> NoteFrequency(const std::string& name) {
  static const std::map<char, int> kSemitones{{'C', -9}, {'D', -7}, {'E', -5}, {'F', -4}, {'G', -2}, {'A', 0}, {'B', 2}};
  if (name.size() < 2 || name.size() > 3 || !kSemitones.count(name[0])) return std::nullopt;
  int semitone = kSemitones.at(name[0]);
  std::size_t at = 1;
  if (name[at] == '#' || name[at] == 'b') semitone += name[at++] == '#' ? 1 : -1;
  if (at + 1 != name.size() || name[at] < '0' || name[at] > '9') return std::nullopt;
  const int octave = name[at] - '0';
  return 440.0 * std::pow(2.0, (semitone + 12 * (octave - 4)) / 12.0);
}

class TReader {
 public:
  TReader(fs::path baseDir, TManifestErrors& errors) : baseDir_(std::move(baseDir)), errors_(errors) {}

  TManifest Read(const TJson& root) {
    TFields top(root, "", errors_);
    if (!top.IsObject()) return std::move(m_);
    ReadFormat(top);
    ReadCanvas(top);
    ReadInfo(top);
    ReadNavBar(top);
    ReadNote(top);
    ReadElements(top);
    CollectPageNames(top);
    if (const TJson* background = top.Get("background"))
      m_.Background = ReadPage(*background, "background", 0);
    else
      m_.Background.Place = "background";
    ReadPages(top);
    top.Finish();
    ResolveUses();
    CheckBackdrops(m_.Background, true);
    for (const auto& page : m_.Pages) CheckBackdrops(page, false);
    // Without pages every element would seem unused.
    if (!m_.Pages.empty()) CheckEveryElementUsed();
    return std::move(m_);
  }

 private:
  // A "use" entry, resolved once every named placement is known.
  struct TPendingUse {
    std::size_t Page;  // 0: the background page
    std::size_t Slot;
    std::string Name;
    std::string Place;
  };

  void ReadFormat(TFields& top) {
    const TJson* json = top.Get("format");
    if (!json) return;
    TFields f(*json, top.Place("format"), errors_);
    m_.FormatCode = static_cast<std::uint16_t>(f.Integer("code", kMinFormatCode, 0xFFFF, kDefaultFormatCode));
    m_.NeededVersion = static_cast<std::uint16_t>(f.Integer("neededVersion", 0, kPlayerVersion, kDefaultNeededVersion));
    f.Finish();
  }

  void ReadCanvas(TFields& top) {
    const TJson* json = top.Get("canvas");
    if (!json) return;
    TFields f(*json, top.Place("canvas"), errors_);
    m_.Width = static_cast<std::int32_t>(f.Integer("width", 1, kMaxCanvasSide, m_.Width));
    m_.Height = static_cast<std::int32_t>(f.Integer("height", 1, kMaxCanvasSide, m_.Height));
    f.Finish();
  }

  void ReadInfo(TFields& top) {
    const TJson* json = top.Get("info");
    if (!json) return;
    if (m_.FormatCode < 16) top.Fail("info", "information sections are stored from format code 16 on");
    TFields sections(*json, top.Place("info"), errors_);
    if (!sections.IsObject()) return;
    for (const auto& [name, items] : json->items()) {
      TInfoSectionDesc section;
      section.Name = NameBytes(sections, name);
      TFields keys(*sections.Get(name), sections.Place(name), errors_);
      if (!keys.IsObject()) continue;
      for (const auto& item : items.items()) {
        std::string key = NameBytes(keys, item.key());
        section.Items.push_back({std::move(key), keys.Lines(item.key()).value_or(TStrings{})});
      }
      keys.Finish();
      m_.Info.push_back(std::move(section));
    }
  }

  // An object's key as Windows-1252 bytes (section names and item keys are stored).
  std::string NameBytes(const TFields& f, const std::string& key) {
    auto bytes = StorableText(key);
    if (key.empty()) f.Fail(key, "a name cannot be empty");
    if (!bytes) f.Fail(key, "the name cannot be stored: flyer texts are Windows-1252, without control characters");
    return bytes.value_or("");
  }

  void ReadNavBar(TFields& top) {
    const TJson* json = top.Get("navBar");
    if (!json) return;
    TFields f(*json, top.Place("navBar"), errors_);
    std::int16_t flags = 0;
    const char* buttons[] = {"pages", "close", "mute", "note", "info"};
    for (int bit = 0; bit < 5; ++bit)
      if (f.Bool(buttons[bit], true)) flags = static_cast<std::int16_t>(flags | (1 << bit));
    f.Finish();
    m_.NavBar = TNavBarDesc{flags, {}};
  }

  void ReadNote(TFields& top) {
    const TJson* json = top.Get("note");
    if (!json) return;
    TFields f(*json, top.Place("note"), errors_);
    if (!f.IsObject()) return;
    TNoteDesc note;
    if (!f.Has("lines")) f.Fail("lines", "missing: the note's lines (an empty array for an empty note)");
    note.Lines = f.Lines("lines").value_or(TStrings{});
    const TRect at = f.Rect("at").value_or(kDefaultNoteBounds);
    note.Bounds = TNoteBounds::FromSize(at.Left, at.Top, at.Width, at.Height);
    f.Finish();
    m_.Note = std::move(note);
  }

  void ReadElements(TFields& top) {
    const TJson* json = top.Get("elements");
    if (!json) {
      top.Fail("elements", "missing: a flyer needs elements to place on its pages");
      return;
    }
    TFields elements(*json, top.Place("elements"), errors_);
    if (!elements.IsObject()) return;
    for (const auto& [name, body] : json->items()) {
      elements.Get(name);
      if (name.empty()) elements.Fail(name, "an element needs a name");
      TManifestElement e;
      e.Name = name;
      e.Place = elements.Place(name);
      TFields f(body, e.Place, errors_);
      if (f.IsObject()) ReadElement(f, e);
      elementByName_.emplace(name, m_.Elements.size());
      m_.Elements.push_back(std::move(e));
    }
    if (m_.Elements.size() > 32767) elements.Fail("", "more than 32767 elements");
  }

  void ReadElement(TFields& f, TManifestElement& e) {
    const auto kind = f.Choice("kind", {"picture", "text", "click", "sound", "placeholder"});
    if (!kind) {
      if (!f.Has("kind")) f.Fail("kind", "missing: \"picture\", \"text\", \"click\", \"sound\" or \"placeholder\"");
      return;
    }
    if (*kind == "picture") {
      e.Kind = TManifestKind::mkPicture;
      e.Picture.File = RequiredFile(f, "file");
      e.Picture.Quality = static_cast<int>(f.Integer("quality", 1, 100, kFifDefaultQuality));
    } else if (*kind == "text") {
      e.Kind = TManifestKind::mkText;
      ReadTextStyle(f, e.Text);
    } else if (*kind == "click") {
      e.Kind = TManifestKind::mkClick;
      e.Shape = f.Choice("shape", {"rectangle", "ellipse"}).value_or("rectangle") == "ellipse" ? kEllipseShape : 0;
    } else if (*kind == "sound") {
      e.Kind = TManifestKind::mkSound;
      ReadSoundSource(f, e.Sound);
    } else {
      // A text without lines that is neither opaque nor framed: the player fills it with a
      // picture file when it is given a placeholder folder.
      e.Kind = TManifestKind::mkPlaceholder;
      e.Text.Opaque = e.Text.Framed = false;
    }
    f.Finish();
  }

  fs::path RequiredFile(TFields& f, const std::string& key) {
    const auto name = f.String(key);
    if (!name) {
      if (!f.Has(key)) f.Fail(key, "missing: the file's name, relative to the manifest's folder");
      return {};
    }
    const fs::path path = baseDir_ / fs::u8path(*name);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) f.Fail(key, "no such file: " + path.string());
    return path;
  }

  void ReadTextStyle(TFields& f, TTextStyle& t) {
    const auto font = f.String("font").value_or("Arial");
    try {
      t.FontCode = FontCodeOf(font);
    } catch (const EQuireleafDebugger&) {
      std::string names;
      for (const auto& code : kFontCodes) names += (names.empty() ? "\"" : ", \"") + std::string(code.Name) + "\"";
      f.Fail("font", "\"" + font + "\" is not a face the flyer format knows; one of " + names);
    }
    t.Size = static_cast<std::int16_t>(f.Integer("size", 1, 1000, t.Size));
    t.Colour = f.Colour("colour", t.Colour);
    t.Background = f.Colour("background", t.Background);
    t.Bold = f.Bool("bold", false);
    t.Italic = f.Bool("italic", false);
    t.Underline = f.Bool("underline", false);
    t.StrikeOut = f.Bool("strikeOut", false);
    t.Opaque = f.Bool("opaque", true);
    t.Framed = f.Bool("framed", true);
    t.Scrollable = f.Bool("scrollable", false);
    const auto align = f.Choice("align", {"left", "right", "centre"}).value_or("left");
    t.Alignment = align == "right" ? 1 : align == "centre" ? 2 : 0;
    const TJson* paragraphs = f.Get("paragraphs");
    if (!paragraphs) {
      f.Fail("paragraphs", "missing: the text, one entry per paragraph");
      return;
    }
    if (!paragraphs->is_array()) {
      f.Fail("paragraphs", "must be an array: one string (or array of lines) per paragraph");
      return;
    }
    for (std::size_t i = 0; i < paragraphs->size(); ++i) {
      const TJson& p = (*paragraphs)[i];
      const std::string place = EntryPlace(f.Place("paragraphs"), i);
      if (p.is_array() && p.empty())
        errors_.Add(place, "a paragraph needs at least one line (\"\" for an empty one)");
      else if (auto lines = ReadLines(p, place, errors_))
        t.Paragraphs.push_back(std::move(*lines));
    }
    if (t.Paragraphs.empty() && !t.Opaque && !t.Framed)
      f.Fail("paragraphs", "a text without lines that is neither opaque nor framed stands for a placeholder "
                           "picture; give it text, or use the kind \"placeholder\"");
  }

  void ReadSoundSource(TFields& f, TSoundSource& s) {
    s.Adpcm = f.Bool("adpcm", false);
    if (f.Has("file") + f.Has("tone") + f.Has("chime") != 1) {
      f.Fail("", "a sound needs exactly one of \"file\" (a WAVE file), \"tone\" or \"chime\"");
      for (const char* key : {"file", "tone", "chime", "rate", "bits", "channels"}) f.Get(key);
      return;
    }
    if (f.Has("file")) {
      s.File = RequiredFile(f, "file");
      for (const char* key : {"rate", "bits", "channels"})
        if (f.Has(key)) f.Fail(key, "a WAVE file keeps its own format; this applies to synthesised sounds");
      return;
    }
    s.Rate = static_cast<std::uint32_t>(f.Integer("rate", 4000, 48000, s.Rate));
    const auto bits = f.Integer("bits", 8, 16);
    if (bits && *bits != 8 && *bits != 16) f.Fail("bits", "must be 8 or 16, not " + std::to_string(*bits));
    s.Bits = bits == 8 ? 8 : 16;
    s.Channels = static_cast<std::uint16_t>(f.Integer("channels", 1, 2, s.Channels));
    if (const TJson* tone = f.Get("tone")) {
      TFields t(*tone, f.Place("tone"), errors_);
      TToneSpec spec;
      spec.Notes = ReadNotes(t, true, s.Rate);
      spec.NoteSeconds = t.Number("noteSeconds", 0.01, 10, spec.NoteSeconds);
      const auto wave = t.Choice("waveform", {"sine", "square", "triangle", "sawtooth"}).value_or("sine");
      spec.Waveform = wave == "square"     ? TWaveform::wfSquare
                      : wave == "triangle" ? TWaveform::wfTriangle
                      : wave == "sawtooth" ? TWaveform::wfSawtooth
                                           : TWaveform::wfSine;
      spec.Volume = t.Number("volume", 0, 1, spec.Volume);
      if (spec.NoteSeconds * static_cast<double>(spec.Notes.size()) > kMaxSoundSeconds)
        t.Fail("notes", "the tone would last longer than 60 seconds");
      t.Finish();
      s.Tone = std::move(spec);
    }
    if (const TJson* chime = f.Get("chime")) {
      TFields c(*chime, f.Place("chime"), errors_);
      TChimeSpec spec;
      spec.Notes = ReadNotes(c, false, s.Rate);
      spec.Spacing = c.Number("spacing", 0, 10, spec.Spacing);
      spec.Seconds = c.Number("seconds", 0.05, 10, spec.Seconds);
      spec.Volume = c.Number("volume", 0, 1, spec.Volume);
      if (!spec.Notes.empty() && spec.Spacing * static_cast<double>(spec.Notes.size() - 1) + spec.Seconds > kMaxSoundSeconds)
        c.Fail("notes", "the chime would last longer than 60 seconds");
      c.Finish();
      s.Chime = std::move(spec);
    }
  }

  // "notes": frequencies in Hz or note names; "rest" (tones only) is a silent note. A note must
  // lie below half the sample rate, or it would sound as another one.
  std::vector<double> ReadNotes(TFields& f, bool restsAllowed, std::uint32_t rate) {
    const TJson* notes = f.Get("notes");
    if (!notes || !notes->is_array() || notes->empty()) {
      f.Fail("notes", "must be a non-empty array of note names (\"A4\", \"C#5\") or frequencies in Hz");
      return {};
    }
    std::vector<double> hz;
    for (std::size_t i = 0; i < notes->size(); ++i) {
      const TJson& n = (*notes)[i];
      std::optional<double> f0;
      if (n.is_number() && n.get<double>() >= 20 && n.get<double>() <= 20000) f0 = n.get<double>();
      if (n.is_string()) f0 = restsAllowed && n.get<std::string>() == "rest" ? 0.0 : NoteFrequency(n.get<std::string>());
      if (!f0) {
        errors_.Add(EntryPlace(f.Place("notes"), i),
                    std::string("must be a note name such as \"A4\", \"C#5\" or \"Bb3\", a frequency from 20 to 20000 Hz") +
                        (restsAllowed ? ", or \"rest\"" : "") + ", not " + n.dump());
        continue;
      }
      if (*f0 >= rate / 2.0) {
        errors_.Add(EntryPlace(f.Place("notes"), i),
                    "too high for " + std::to_string(rate) + " samples a second; raise the sound's \"rate\"");
        continue;
      }
      hz.push_back(*f0);
    }
    return hz;
  }

  void CollectPageNames(TFields& top) {
    if (!top.Has("pages")) return;
    const TJson& pages = *top.Get("pages");
    if (!pages.is_array()) return;
    for (std::size_t i = 0; i < pages.size(); ++i) {
      const TJson& page = pages[i];
      if (!page.is_object() || !page.contains("name") || !page["name"].is_string()) continue;
      if (!pageByName_.emplace(page["name"].get<std::string>(), i + 1).second)
        errors_.Add(FieldPlace(EntryPlace("pages", i), "name"), "another page has this name already");
    }
  }

  void ReadPages(TFields& top) {
    const TJson* pages = top.Get("pages");
    if (!pages || !pages->is_array() || pages->empty()) {
      top.Fail("pages", "must be an array of one page or more");
      return;
    }
    if (pages->size() > 32766) top.Fail("pages", "more than 32766 pages");
    for (std::size_t i = 0; i < pages->size(); ++i) m_.Pages.push_back(ReadPage((*pages)[i], EntryPlace("pages", i), i + 1));
  }

  // number: 0 for the background page, else the page number.
  TManifestPage ReadPage(const TJson& json, const std::string& place, std::size_t number) {
    const bool background = number == 0;
    TManifestPage page;
    page.Place = place;
    TFields f(json, place, errors_);
    if (!f.IsObject()) return page;
    if (!background) page.Name = f.Text("name").value_or("");
    page.Colour = f.Colour("colour", page.Colour);
    if (background && f.Get("sound"))
      f.Fail("sound", "the background page is never shown on its own, so its sound would never play");
    else if (f.Has("sound"))
      page.Sound = ReadSoundUse(f, "sound");
    const TJson* entries = f.Get("place");
    if (entries && !entries->is_array()) f.Fail("place", "must be an array of placements, bottom first");
    if (entries && entries->is_array()) {
      for (std::size_t i = 0; i < entries->size(); ++i) ReadEntry((*entries)[i], EntryPlace(f.Place("place"), i), page, number);
    }
    f.Finish();
    return page;
  }

  void ReadEntry(const TJson& json, const std::string& place, TManifestPage& page, std::size_t number) {
    TFields f(json, place, errors_);
    if (!f.IsObject()) return;
    if (f.Has("use")) {
      if (const auto name = f.String("use")) pending_.push_back({number, page.Placements.size(), *name, f.Place("use")});
      page.Placements.push_back(kUnresolved);
      f.Finish();
      return;
    }
    const auto elementName = f.String("element");
    if (!elementName) {
      if (!f.Has("element")) f.Fail("element", "missing: the name of the element to place (or \"use\" a named placement)");
      return;
    }
    const auto found = elementByName_.find(*elementName);
    if (found == elementByName_.end()) {
      f.Fail("element", "no element is named \"" + *elementName + "\"");
      return;
    }
    const TManifestElement& element = m_.Elements[found->second];
    if (element.Kind == TManifestKind::mkSound) {
      f.Fail("element", "a sound is not placed on a page; name it as the page's \"sound\" or a click area's \"sound\"");
      return;
    }
    TManifestPlacement p;
    p.Place = place;
    p.Element = found->second;
    const auto at = f.Rect("at");
    if (!at && !f.Has("at")) f.Fail("at", "missing: [left, top, width, height]");
    p.At = at.value_or(TRect{0, 0, 1, 1});
    if (element.Kind == TManifestKind::mkPicture) {
      p.Key = f.Colour("keyed");
      p.Backdrop = f.Bool("backdrop", false);
      if (p.Backdrop && p.Key) f.Fail("keyed", "a backdrop is tiled as it is; a key colour has no effect on it");
    }
    if (element.Kind == TManifestKind::mkClick) ReadAction(f, p);
    const auto name = f.String("name");
    f.Finish();
    const std::size_t index = m_.Placements.size();
    if (name && !placementByName_.emplace(*name, index).second)
      f.Fail("name", "another placement has this name already");
    m_.Placements.push_back(std::move(p));
    page.Placements.push_back(index);
  }

  void ReadAction(TFields& f, TManifestPlacement& p) {
    const int given = f.Has("action") + f.Has("goto") + f.Has("link");
    if (given != 1) {
      f.Fail("", "a click area needs exactly one of \"goto\" (a page name), \"link\" (an address) or \"action\" "
                 "(\"next\", \"previous\", \"back\", \"forward\", \"close\" or \"none\")");
    }
    if (const auto action = f.Choice("action", {"none", "close", "next", "previous", "back", "forward"})) {
      static const std::map<std::string, std::int16_t> kActions{{"none", caNone},       {"close", caClose},
                                                                {"next", caNextPage},   {"previous", caPreviousPage},
                                                                {"back", caBack},       {"forward", caForward}};
      p.Action = kActions.at(*action);
    }
    if (const auto target = f.String("goto")) {
      const auto page = pageByName_.find(*target);
      if (page == pageByName_.end())
        f.Fail("goto", "no page is named \"" + *target + "\"");
      else
        p.Action = static_cast<std::int16_t>(page->second);
    }
    if (const auto link = f.Text("link")) {
      p.Action = caWebLink;
      p.Link = *link;
    }
    if (f.Has("sound")) p.Sound = ReadSoundUse(f, "sound");
  }

  // "sound": "name", or {"element": "name", "loop": .., "flag1": .., "flag2": .., "value": ..}.
  std::optional<TSoundUse> ReadSoundUse(TFields& owner, const std::string& key) {
    const TJson* json = owner.Get(key);
    TSoundUse use;
    std::optional<std::string> name;
    if (json->is_string()) {
      name = owner.String(key);
    } else {
      TFields f(*json, owner.Place(key), errors_);
      if (!f.IsObject()) return std::nullopt;
      name = f.String("element");
      if (!name && !f.Has("element")) f.Fail("element", "missing: the name of the sound element");
      use.Loop = f.Bool("loop", false);
      use.Flag1 = f.Bool("flag1", false);
      use.Flag2 = f.Bool("flag2", false);
      use.Value = static_cast<std::uint32_t>(f.Integer("value", 0, 0xFFFFFFFF, 0));
      f.Finish();
    }
    if (!name) return std::nullopt;
    const auto found = elementByName_.find(*name);
    if (found == elementByName_.end() || m_.Elements[found->second].Kind != TManifestKind::mkSound) {
      owner.Fail(key, found == elementByName_.end() ? "no element is named \"" + *name + "\""
                                                    : "\"" + *name + "\" is no sound");
      return std::nullopt;
    }
    use.Element = found->second;
    return use;
  }

  void ResolveUses() {
    for (const TPendingUse& use : pending_) {
      const auto found = placementByName_.find(use.Name);
      if (found == placementByName_.end()) {
        errors_.Add(use.Place, "no placement is named \"" + use.Name + "\"");
        continue;
      }
      auto& slots = (use.Page == 0 ? m_.Background : m_.Pages[use.Page - 1]).Placements;
      if (std::find(slots.begin(), slots.end(), found->second) != slots.end()) {
        errors_.Add(use.Place, "the placement \"" + use.Name + "\" is on this page already");
        continue;
      }
      slots[use.Slot] = found->second;
    }
  }

  void CheckBackdrops(const TManifestPage& page, bool background) {
    const auto backdrops = std::count_if(page.Placements.begin(), page.Placements.end(), [&](std::size_t p) {
      return p != kUnresolved && m_.Placements[p].Backdrop;
    });
    if (backdrops > 1) errors_.Add(page.Place, "a page has one backdrop at most");
    if (backdrops > 0 && background)
      errors_.Add(page.Place, "the background page's backdrop is never drawn under the pages; give each page its own");
  }

  void CheckEveryElementUsed() {
    std::vector<bool> used(m_.Elements.size());
    for (const auto& p : m_.Placements) used[p.Element] = true;
    const auto sound = [&](const std::optional<TSoundUse>& s) {
      if (s) used[s->Element] = true;
    };
    for (const auto& page : m_.Pages) sound(page.Sound);
    for (const auto& p : m_.Placements) sound(p.Sound);
    for (std::size_t i = 0; i < used.size(); ++i)
      if (!used[i]) errors_.Add(m_.Elements[i].Place, "never placed or played; remove it or use it");
  }

  TManifest m_;
  fs::path baseDir_;
  TManifestErrors& errors_;
  std::map<std::string, std::size_t> elementByName_;
  std::map<std::string, std::size_t> pageByName_;
  std::map<std::string, std::size_t> placementByName_;
  std::vector<TPendingUse> pending_;
};

}  // namespace

TManifest ParseManifest(const std::string& text, const fs::path& baseDir, const std::string& fileName) {
  TManifestErrors errors(fileName);
  const TJson root = ParseManifestJson(text, errors);
  errors.ThrowIfAny();
  TReader reader(baseDir, errors);
  TManifest manifest = reader.Read(root);
  errors.ThrowIfAny();
  manifest.Path = baseDir / fileName;
  return manifest;
}

TManifest ReadManifest(const fs::path& path) {
  return ParseManifest(ReadFileContents(path.string()), path.parent_path(), path.filename().string());
}

}  // namespace qrl
