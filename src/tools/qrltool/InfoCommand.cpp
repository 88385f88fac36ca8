// qrltool info: loads a flyer as the player does and describes it, as JSON or readable text.

#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "elements/TCKbClick.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbSound.h"
#include "elements/TCKbTekst.h"
#include "format/CodePage.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/InfoJson.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

namespace {

using json = nlohmann::ordered_json;

std::string ColourText(TColor colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return text;
}

json Lines(const TStrings& lines) {
  json out = json::array();
  for (const auto& line : lines) out.push_back(Cp1252ToUtf8(line));
  return out;
}

json Rect(const TCKbOccurrence& o, int number) {
  return {{"number", number}, {"left", o.DesignLeft}, {"top", o.DesignTop}, {"width", o.DesignWidth},
          {"height", o.DesignHeight}};
}

// The placements of a control, each its rectangle and number with what describe adds for its kind.
template <class TOccurrence, class TControl, class TDescribe>
json PlacementsJson(const TControl& control, TDescribe describe) {
  json occurrences = json::array();
  int number = 0;
  for (const auto& occ : control.Occurrences()) {
    const auto& o = static_cast<const TOccurrence&>(*occ);
    json r = Rect(o, ++number);
    describe(o, r);
    occurrences.push_back(r);
  }
  return occurrences;
}

json ImageJson(const TCKbImage& image) {
  json j = {{"compression", kFifCompression}, {"dataSize", image.DataSize}, {"pictureWidth", image.PictureWidth},
            {"pictureHeight", image.PictureHeight}, {"isJpeg", image.IsJpeg}};
  j["occurrences"] = PlacementsJson<TCKbOccImage>(image, [](const TCKbOccImage& o, json& r) {
    r["transparent"] = o.Transparent;
    r["background"] = o.Background;
    r["keyColour"] = ColourText(o.KeyColour);
  });
  return j;
}

json ClickJson(const TCKbClick& click) {
  json j = {{"shape", click.Shape}};
  j["occurrences"] = PlacementsJson<TCKbOccClick>(click, [](const TCKbOccClick& o, json& r) {
    r["action"] = o.Action;
    r["soundElement"] = o.SoundElement;
    r["soundIndex"] = o.SoundIndex;
    r["linkText"] = Cp1252ToUtf8(o.LinkText);
    r["windowed"] = o.Windowed;
  });
  return j;
}

json TextJson(const TCKbTekst& text) {
  const TFontSpec& f = text.Font;
  json j = {{"compression", kPlainTextCompression},
            {"backColour", ColourText(text.BackColour)},
            {"font",
             {{"name", Cp1252ToUtf8(f.Name)}, {"size", text.FontSize}, {"colour", ColourText(f.Color)}, {"bold", f.Bold},
              {"italic", f.Italic}, {"underline", f.Underline}, {"strikeOut", f.StrikeOut}}},
            {"opaque", text.Opaque},
            {"framed", text.Framed},
            {"scrollAllowed", text.ScrollAllowed},
            {"alignment", text.Alignment},
            {"lines", Lines(text.Lines)}};
  j["occurrences"] = PlacementsJson<TCKbOccTekst>(text, [](const TCKbOccTekst& o, json& r) {
    r["lines"] = Lines(o.Lines);
    r["windowed"] = o.Windowed;
  });
  return j;
}

json SoundJson(const TCKbSound& sound) {
  json j = {{"compression", sound.Compression}, {"channels", sound.Channels}, {"sampleRate", sound.SampleRate},
            {"bitsPerSample", sound.BitsPerSample}, {"dataSize", sound.DataSize}, {"waveSize", sound.WaveSize}};
  json occurrences = json::array();
  int number = 0;
  for (const auto& o : sound.Occurrences())
    occurrences.push_back({{"number", ++number}, {"loop", o->Loop}, {"flag1", o->Flag1}, {"flag2", o->Flag2},
                           {"value", o->Value}});
  j["occurrences"] = occurrences;
  return j;
}

// Element id and occurrence number of every occurrence read, for the page lists.
class TOccurrenceNames {
 public:
  explicit TOccurrenceNames(const TFlyer& flyer) {
    for (const auto& entry : flyer.Elements) {
      if (!entry->Control) continue;
      int number = 0;
      for (const auto& occ : entry->Control->Occurrences()) names_[occ.get()] = {entry->Id, ++number};
    }
  }
  json Of(const TCKbOccurrence* occ) const {
    const auto it = names_.find(occ);
    if (it == names_.end()) return nullptr;
    return {{"element", it->second.first}, {"occurrence", it->second.second}};
  }

 private:
  std::map<const TCKbOccurrence*, std::pair<int, int>> names_;
};

json RefJson(const TOccRec& ref) {
  return {{"element", ref.Entry ? ref.Entry->Id : 0}, {"occurrence", ref.Number}};
}

}  // namespace

nlohmann::ordered_json FlyerInfoJson(const TFlyer& flyer) {
  json j;
  j["formatCode"] = flyer.Header.FormatCode;
  j["neededVersion"] = flyer.Header.NeededVersion;
  j["region"] = {{"start", flyer.Region.Start}, {"end", flyer.Region.End}};
  j["width"] = flyer.FlyerWidth;
  j["height"] = flyer.FlyerHeight;
  j["title"] = Cp1252ToUtf8(flyer.FlyerTitle);

  json sections = json::array();
  for (const auto& section : flyer.InfoSections) {
    json items = json::array();
    for (int i = 0; i < section->Count(); ++i)
      items.push_back({{"key", Cp1252ToUtf8(section->Key(i))}, {"lines", Lines(section->Value(i))}});
    sections.push_back({{"name", Cp1252ToUtf8(section->Name)}, {"items", items}});
  }
  j["sections"] = sections;

  if (const auto nav = flyer.NavBarVisibility())
    j["navBar"] = {{"pages", nav->PageButtons}, {"close", nav->Close}, {"mute", nav->Mute}, {"note", nav->Note},
                   {"info", nav->Info}};
  else
    j["navBar"] = nullptr;

  if (flyer.HasNoteBlock)
    j["note"] = {{"lines", Lines(flyer.NoteLines)}, {"left", flyer.NoteBounds.Left}, {"top", flyer.NoteBounds.Top},
                 {"width", flyer.NoteBounds.Width()}, {"height", flyer.NoteBounds.Height()}};
  else
    j["note"] = nullptr;

  json elements = json::array();
  for (const auto& entry : flyer.Elements) {
    json e = {{"id", entry->Id}, {"kind", entry->Kind}, {"filePos", entry->FilePos}, {"read", entry->IsRead()}};
    if (entry->Control) {
      if (const auto* image = dynamic_cast<const TCKbImage*>(entry->Control.get())) e.update(ImageJson(*image));
      if (const auto* click = dynamic_cast<const TCKbClick*>(entry->Control.get())) e.update(ClickJson(*click));
      if (const auto* text = dynamic_cast<const TCKbTekst*>(entry->Control.get())) e.update(TextJson(*text));
    }
    if (entry->Sound) e.update(SoundJson(*entry->Sound));
    elements.push_back(e);
  }
  j["elements"] = elements;

  const TOccurrenceNames names(flyer);
  json pages = json::array();
  for (std::size_t i = 0; i < flyer.Pages.size(); ++i) {
    const TPlayerPage& page = *flyer.Pages[i];
    json p = {{"index", i}, {"colour", ColourText(page.Color)}};
    p["sound"] = page.SoundRef ? RefJson(*page.SoundRef) : json(nullptr);
    json refs = json::array();
    for (const auto& ref : page.Refs) refs.push_back(RefJson(ref));
    p["refs"] = refs;
    p["backdrop"] = page.Backdrop ? names.Of(page.Backdrop) : json(nullptr);
    json drawList = json::array();
    for (const auto* occ : page.DrawList) drawList.push_back(names.Of(occ));
    p["drawList"] = drawList;
    json windowed = json::array();
    for (const auto* occ : page.WindowedList) windowed.push_back(names.Of(occ));
    p["windowed"] = windowed;
    pages.push_back(p);
  }
  j["pages"] = pages;
  return j;
}

namespace {

const char* KindName(int kind) {
  switch (kind) {
    case 1: return "picture";
    case 2: return "click area";
    case 3: return "text";
    case 5: return "sound";
    default: return "unknown";
  }
}

std::string Summary(const TFlyer& flyer) {
  std::ostringstream out;
  out << "Title:    " << Cp1252ToUtf8(flyer.FlyerTitle) << "\n"
      << "Canvas:   " << flyer.FlyerWidth << " x " << flyer.FlyerHeight << "\n"
      << "Format:   code " << flyer.Header.FormatCode << ", needs version " << flyer.Header.NeededVersion / 100 << "."
      << (flyer.Header.NeededVersion % 100 < 10 ? "0" : "") << flyer.Header.NeededVersion % 100 << "\n"
      << "Region:   bytes " << flyer.Region.Start << " to " << flyer.Region.End << "\n"
      << "Pages:    " << (flyer.Pages.empty() ? 0 : flyer.Pages.size() - 1) << " (and the background page)\n";
  for (const auto& section : flyer.InfoSections) {
    out << "[" << Cp1252ToUtf8(section->Name) << "]\n";
    for (int i = 0; i < section->Count(); ++i) {
      out << "  " << Cp1252ToUtf8(section->Key(i)) << ":";
      for (const auto& line : section->Value(i)) out << " " << Cp1252ToUtf8(line);
      out << "\n";
    }
  }
  if (flyer.HasNoteBlock) out << "Note:     " << flyer.NoteLines.size() << " line(s)\n";
  out << "Elements: " << flyer.Elements.size() << "\n";
  for (const auto& entry : flyer.Elements) {
    out << "  #" << entry->Id << " " << KindName(entry->Kind);
    if (entry->Control) out << ", " << entry->Control->Occurrences().size() << " placement(s)";
    if (entry->Sound) out << ", " << entry->Sound->Occurrences().size() << " placement(s)";
    if (!entry->IsRead()) out << ", not used by any page";
    out << "\n";
  }
  return out.str();
}

int RunInfo(const Arguments& args) {
  const TArgumentParser p(args, {"-d", "--json", "--decode"}, {});
  const std::string path = p.Single("flyer file");
  const bool json = p.Flag("--json");
  TToolFlyer tool;
  tool.Load(path, p.Flag("--decode"));
  if (json)
    std::cout << FlyerInfoJson(tool.Flyer()).dump(2) << "\n";
  else
    std::cout << Summary(tool.Flyer());
  return kExitOk;
}

}  // namespace

extern const TCommand kInfoCommand = {
    "info", "describe a flyer (as the player loads it)",
    "usage: qrltool info [-d] [--json] [--decode] FILE\n"
    "  -d        show the message of a coded error instead of its number\n"
    "  --json    one JSON document on standard output\n"
    "  --decode  also decode every picture, so damaged picture data is found\n",
    RunInfo};

}  // namespace qrl::tool
