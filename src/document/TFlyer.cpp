#include "document/TFlyer.h"

#include <string>

#include "elements/TCKbClick.h"
#include "elements/TCKbImage.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

[[noreturn]] void RaiseInvalid(const std::string& message) { throw EQuireleafInvalidFile(message); }

TCKbOccSound& SoundOccurrence(const TSaveRec& entry, std::int32_t number) {
  if (!entry.Sound) RaiseInvalid("Element " + std::to_string(entry.Id) + " is not a sound.");
  TCKbOccSound* occurrence = entry.Sound->Occurrence(number);
  if (!occurrence)
    RaiseInvalid("Element " + std::to_string(entry.Id) + " has no occurrence " + std::to_string(number) + ".");
  return *occurrence;
}

TCKbOccurrence& PlacedOccurrence(const TSaveRec& entry, std::int32_t number) {
  if (!entry.Control)
    RaiseInvalid("Element " + std::to_string(entry.Id) + " is a sound and cannot be placed on a page.");
  TCKbOccurrence* occurrence = entry.Control->Occurrence(number);
  if (!occurrence)
    RaiseInvalid("Element " + std::to_string(entry.Id) + " has no occurrence " + std::to_string(number) + ".");
  return *occurrence;
}

}  // namespace

TFlyer::TFlyer(const TTextMeasurer& measurer, const TScreenMetrics& screen) {
  context_.TempFiles = &tempFiles_;
  context_.Measurer = &measurer;
  context_.ScreenMetrics = screen;
  context_.ScreenBitsPerPixel = screen.bitsPerPixel;
}

TFlyer::~TFlyer() { Unload(); }

std::optional<TNavBarVisibility> TFlyer::NavBarVisibility() const {
  if (!NavBarFlags) return std::nullopt;
  const int flags = *NavBarFlags;
  return TNavBarVisibility{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, (flags & 8) != 0,
                           (flags & 16) != 0 && Header.FormatCode >= 16};
}

std::string TFlyer::InfoValue(const std::string& sectionName, const std::string& key) const {
  return qrl::InfoValue(InfoSections, sectionName, key);
}

TSaveRec& TFlyer::AddElement(std::unique_ptr<TSaveRec> entry) {
  TSaveRec& added = *Elements.emplace_back(std::move(entry));
  firstById_.try_emplace(added.Id, &added);
  return added;
}

TSaveRec* TFlyer::FindElement(std::uint16_t id) const {
  const auto it = firstById_.find(id);
  return it == firstById_.end() ? nullptr : it->second;
}

void TFlyer::LoadElement(TSaveRec& entry) {
  if (entry.IsRead()) return;
  if (!reader_)
    throw EQuireleafException("Element " + std::to_string(entry.Id) + " cannot be read: the flyer file is closed.");
  reader_->ReadElement(entry);
}

void TFlyer::BuildPage(int index) {
  TPlayerPage& page = *Pages.at(static_cast<std::size_t>(index));
  if (page.Built) return;
  if (page.SoundRef) {
    LoadElement(*page.SoundRef->Entry);
    page.Sound = &SoundOccurrence(*page.SoundRef->Entry, page.SoundRef->Number);
  }
  for (const TOccRec& ref : page.Refs) {
    LoadElement(*ref.Entry);
    TCKbOccurrence& o = PlacedOccurrence(*ref.Entry, ref.Number);
    const int kind = ref.Entry->Control->Kind();
    if (kind == kindClick) {
      auto& click = static_cast<TCKbOccClick&>(o);
      if (click.SoundElement > 0) {
        TSaveRec* sound = FindElement(click.SoundElement);
        if (!sound)
          RaiseInvalid("A click area refers to sound element " + std::to_string(click.SoundElement) +
                       ", which the flyer does not have.");
        LoadElement(*sound);
        click.ClickSound = &SoundOccurrence(*sound, click.SoundIndex);
      }
    }
    if (o.Windowed) page.WindowedList.push_back(&o);
    if (kind == kindImage && static_cast<TCKbOccImage&>(o).Background)
      page.Backdrop = &static_cast<TCKbOccImage&>(o);
    else
      page.DrawList.push_back(&o);
    if (AreaWidth != FlyerWidth && FlyerWidth > 0) o.Rescale(static_cast<double>(AreaWidth) / FlyerWidth);
    if (index == 0)
      o.Location.SetAllPages(true);
    else
      o.Location.AddPage(index);
  }
  page.Built = true;
}

void TFlyer::Unload() {
  Pages.clear();
  Elements.clear();
  firstById_.clear();
  context_.SwapCandidates.clear();
  InfoSections.clear();
  NoteLines.clear();
  NoteBounds = {};
  HasNoteBlock = false;
  FileName.clear();
  FlyerTitle.clear();
  FlyerWidth = FlyerHeight = AreaWidth = AreaHeight = 0;
  NavBarFlags.reset();
  Header = {};
  Region = {};
  tempFiles_.DeleteAllTempFiles();
}

}  // namespace qrl
