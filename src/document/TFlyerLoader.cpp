#include "document/TFlyerLoader.h"

#include <algorithm>
#include <string>

#include "document/NoteBlock.h"
#include "document/Placeholder.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbTekst.h"
#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"
#include "imaging/FifLibrary.h"

namespace qrl {

namespace {

constexpr int kMaxOccurrences = 32767;
// Code, size and checksum: the least room one occurrence block takes.
constexpr std::int64_t kMinOccurrenceBlock = 10;
// Unused small integer, element id and occurrence number of one page reference.
constexpr std::int64_t kPageReferenceSize = 6;

// numerator / denominator to the nearest integer, a half going to the even neighbour.
std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t quotient = numerator / denominator;
  const std::int64_t twiceRest = 2 * (numerator % denominator);
  if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

// Closes the file however the load ends.
class TCloseGuard {
 public:
  explicit TCloseGuard(TFlyerLoader& loader) : loader_(loader) {}
  ~TCloseGuard() { loader_.Close(); }
  TCloseGuard(const TCloseGuard&) = delete;
  TCloseGuard& operator=(const TCloseGuard&) = delete;

 private:
  TFlyerLoader& loader_;
};

}  // namespace

TFlyerLoader::TFlyerLoader(TFlyer& flyer, TLoadObserver& observer, std::string placeholderFolder)
    : flyer_(flyer), observer_(observer), placeholderFolder_(std::move(placeholderFolder)) {}

TFlyerLoader::~TFlyerLoader() { Close(); }

TLoadResult TFlyerLoader::LoadFlyer(const std::string& path) {
  return LoadFlyer(std::make_unique<TQLStream>(path, TOpenMode::fmOpenRead));
}

TLoadResult TFlyerLoader::LoadFlyer(std::unique_ptr<TQLStream> stream) {
  TCloseGuard guard(*this);
  Open(std::move(stream));
  ScanFlyer();
  observer_.ScanEnded(flyer_);
  if (observer_.CloseRequested()) return TLoadResult::lrClosedInScan;

  const auto library = TFifLibrary::Hold();
  observer_.SetCaption(flyer_.FlyerTitle + " (building page 1 - 0%)");
  const bool complete = BuildPages();
  if (observer_.CloseRequested()) return complete ? TLoadResult::lrClosedAfterBuild : TLoadResult::lrClosedInBuild;
  observer_.SetCaption(flyer_.FlyerTitle);
  return TLoadResult::lrComplete;
}

void TFlyerLoader::Open(const std::string& path) { Open(std::make_unique<TQLStream>(path, TOpenMode::fmOpenRead)); }

void TFlyerLoader::Open(std::unique_ptr<TQLStream> stream) {
  Close();
  stream_ = std::move(stream);
  flyer_.reader_ = this;
  flyer_.FileName = stream_->FileName();
  const TScreenMetrics& screen = flyer_.Context().ScreenMetrics;
  flyer_.NoteBounds =
      TNoteBounds::FromSize(screen.horzRes / 3, screen.vertRes / 3, screen.horzRes / 3, screen.vertRes / 3);
}

void TFlyerLoader::Close() {
  if (flyer_.reader_ == this) flyer_.reader_ = nullptr;
  stream_.reset();
}

void TFlyerLoader::ScanFlyer() {
  TQLStream& s = *stream_;
  placeholdersUsed_ = 0;
  flyer_.Region = LocateFlyerData(s, IsKickstarterName(s.FileName()));
  CheckMagic(s);
  flyer_.Header = CheckFileHeader(s);
  const std::int64_t start = flyer_.Region.Start;
  const std::int64_t end = flyer_.Region.End;
  while (s.Position() < end && !observer_.CloseRequested()) {
    observer_.SetCaption(flyer_.FlyerTitle + " (scanning " +
                         std::to_string(RoundHalfEven((s.Position() - start) * 100, end - start)) + "%)");
    const std::uint16_t code = s.ReadWord();
    switch (code) {
      case bcNavBar: ReadNavBarBlock(); break;
      case bcNote:
        ReadNoteBlock(s, flyer_.NoteLines, flyer_.NoteBounds);
        flyer_.HasNoteBlock = true;
        observer_.NoteRead(flyer_);
        break;
      case bcFlyerInfo: ReadFlyerInfo(); break;
      case bcElement:
      case bcElementExt: ReadElementIndex(code); break;
      case bcPage:
      case bcPageExt: ReadPageBlock(code); break;
      case bcOccurrence:
      case bcOccurrenceExt: SkipBlock(); break;
      default:
        if (IsEssential(code)) throw EQuireleafDebugger(ecUnknownEssentialBlock);
        SkipBlock();
        break;
    }
  }
  observer_.SetCaption(flyer_.FlyerTitle);
}

void TFlyerLoader::SkipBlock() {
  stream_->ReadBlock([](TQLStream&) {});
}

void TFlyerLoader::ReadNavBarBlock() {
  stream_->ReadBlock([this](TQLStream& s) { flyer_.NavBarFlags = s.ReadSmallInt(); });
}

void TFlyerLoader::ReadFlyerInfo() {
  stream_->ReadBlock([this](TQLStream& s) { ReadFlyerInfoPayload(s); });
  const std::string title = flyer_.InfoValue("Flyer Info", "Title");
  flyer_.FlyerTitle = title.empty() ? stream_->FileName() : title;
  observer_.SetCaption(flyer_.FlyerTitle);
  observer_.InfoRead(flyer_);
}

void TFlyerLoader::ReadFlyerInfoPayload(TQLStream& s) {
  flyer_.FlyerWidth = flyer_.AreaWidth = s.ReadLongInt();
  flyer_.FlyerHeight = flyer_.AreaHeight = s.ReadLongInt();
  // An empty canvas shows nothing, but its pictures must not be decoded at whatever size their
  // placements claim: the elements see a canvas of at least one pixel.
  flyer_.Context().CanvasWidth = std::max(flyer_.FlyerWidth, 1);
  flyer_.Context().CanvasHeight = std::max(flyer_.FlyerHeight, 1);
  const std::int16_t elementCount = s.ReadSmallInt();
  const std::int16_t pageCount = s.ReadSmallInt();
  flyer_.Elements.reserve(static_cast<std::size_t>(std::max<int>(elementCount, 0)));
  flyer_.Pages.reserve(static_cast<std::size_t>(std::max<int>(pageCount, 0)) + 1);
  s.ReadSmallInt();
  s.ReadSmallInt();
  if (s.FormatCode() >= 16) {
    flyer_.InfoSections.clear();
    // Every section and item takes bytes of the block, whose reads stop at its end, so the
    // counts cannot make the loop outrun the data.
    const std::uint16_t sections = s.ReadWord();
    for (int i = 0; i < sections; ++i) {
      auto section = std::make_unique<TTextSection>();
      s.ReadSmallInt();
      section->Name = s.ReadText();
      const std::uint16_t items = s.ReadWord();
      for (int k = 0; k < items; ++k) {
        const std::string key = s.ReadText();
        TStrings lines;
        s.ReadLines(lines);
        section->SetValue(key, std::move(lines), -1);
      }
      flyer_.InfoSections.push_back(std::move(section));
    }
  }
}

void TFlyerLoader::ReadElementIndex(std::uint16_t code) {
  TQLStream& s = *stream_;
  auto entry = std::make_unique<TSaveRec>();
  entry->FilePos = s.Position() - 2;
  s.ReadBlock([&](TQLStream& block) {
    if (code == bcElementExt) block.ReadSmallInt();
    entry->Kind = block.ReadSmallInt();
    entry->Id = block.ReadWord();
    block.ReadWord();
  });
  flyer_.AddElement(std::move(entry));
}

void TFlyerLoader::ReadPageBlock(std::uint16_t code) {
  TQLStream& s = *stream_;
  const std::string pageName = "Page " + std::to_string(flyer_.Pages.size());
  const auto findElement = [&](std::uint16_t id) {
    TSaveRec* entry = flyer_.FindElement(id);
    if (!entry)
      throw EQuireleafInvalidFile(pageName + " refers to element " + std::to_string(id) +
                                  ", which no earlier element block defines.");
    return entry;
  };
  auto page = std::make_unique<TPlayerPage>();
  s.ReadBlock([&](TQLStream& block) {
    std::int64_t fixedEnd = 0;
    if (code == bcPageExt) {
      const std::int16_t length = block.ReadSmallInt();
      fixedEnd = block.Position() + length;
    }
    block.ReadSmallInt();
    page->Color = block.ReadColor();
    block.ReadSmallInt();
    block.ReadText();
    block.ReadSmallInt();
    const std::uint16_t soundId = block.ReadWord();
    const std::uint16_t soundNumber = block.ReadWord();
    if (soundId > 0) page->SoundRef = TOccRec{findElement(soundId), soundNumber};
    if (block.Position() < fixedEnd) block.Skip(fixedEnd - block.Position());
    const std::int16_t count = block.ReadSmallInt();
    if (count > 0) page->Refs.reserve(static_cast<std::size_t>(std::min<std::int64_t>(
                       count, block.BlockRemaining() / kPageReferenceSize)));
    for (int i = 0; i < count; ++i) {
      block.ReadSmallInt();
      const std::uint16_t id = block.ReadWord();
      const std::uint16_t number = block.ReadWord();
      page->Refs.push_back(TOccRec{findElement(id), number});
    }
  });
  flyer_.Pages.push_back(std::move(page));
}

void TFlyerLoader::ReadElement(TSaveRec& entry) {
  TQLStream& s = *stream_;
  s.Seek(entry.FilePos, TSeekOrigin::soBeginning);
  const std::uint16_t code = s.ReadWord();
  std::int16_t kind = 0;
  std::uint16_t count = 0;
  std::unique_ptr<TCKbControl> control;
  std::unique_ptr<TCKbSound> sound;
  TElementContext& context = flyer_.Context();
  s.ReadBlock([&](TQLStream& block) {
    std::int64_t headerEnd = 0;
    if (code == bcElementExt) {
      const std::int16_t length = block.ReadSmallInt();
      headerEnd = block.Position() + length;
    }
    kind = block.ReadSmallInt();
    block.ReadWord();
    count = block.ReadWord();
    if (count > kMaxOccurrences) throw EQuireleafDebugger(ecOccurrenceExpected);
    switch (kind) {
      case kindImage: control = std::make_unique<TCKbImage>(context); break;
      case kindClick: control = std::make_unique<TCKbClick>(context); break;
      case kindText: control = std::make_unique<TCKbTekst>(context); break;
      case kindSound: sound = std::make_unique<TCKbSound>(context); break;
      default: throw EQuireleafInvalidFile("Unknown element kind " + std::to_string(kind) + ".");
    }
    if (control)
      control->Load(block, headerEnd);
    else
      sound->LoadWave(block, headerEnd);
  });
  // The occurrence blocks must fit in what is left of the flyer.
  if (count * kMinOccurrenceBlock > flyer_.Region.End - s.Position()) throw EQuireleafDebugger(ecOccurrenceExpected);

  if (kind == kindText && static_cast<TCKbTekst&>(*control).IsPlaceholder()) {
    const std::string picture = FillPlaceholder();
    if (!picture.empty()) {
      auto image = std::make_unique<TCKbImage>(context);
      try {
        image->LoadFromJpegFile(picture);
        control = std::move(image);
      } catch (const EInvalidGraphic&) {
        // An unreadable picture leaves the placeholder an empty text.
      }
    }
  }
  for (int i = 0; i < count; ++i) ReadOccurrence(control.get(), sound.get());
  entry.Kind = static_cast<std::int16_t>(control ? control->Kind() : sound->Kind());
  entry.Control = std::move(control);
  entry.Sound = std::move(sound);
}

void TFlyerLoader::ReadOccurrence(TCKbControl* control, TCKbSound* sound) {
  TQLStream& s = *stream_;
  const std::uint16_t code = s.ReadWord();
  if (code != bcOccurrence && code != bcOccurrenceExt) throw EQuireleafDebugger(ecOccurrenceExpected);
  s.ReadBlock([&](TQLStream& block) {
    if (block.FormatCode() > 13) {
      block.ReadWord();
      block.ReadWord();
    }
    if (sound)
      sound->NewOccurrence().Load(block);
    else
      control->AddOccurrence().Load(block, code & 0xFF);
  });
}

std::string TFlyerLoader::FillPlaceholder() { return NextPlaceholder(placeholderFolder_, placeholdersUsed_); }

bool TFlyerLoader::BuildPages() {
  bool cancelled = false;
  const auto pageCount = static_cast<std::int64_t>(flyer_.Pages.size());
  for (int i = 0; i < pageCount && !cancelled;) {
    flyer_.BuildPage(i);
    const auto& drawList = flyer_.Pages[static_cast<std::size_t>(i)]->DrawList;
    for (std::size_t j = 0; j < drawList.size() && !cancelled; ++j) {
      TCKbControl& element = drawList[j]->Element();
      element.Prepare();
      element.Release(false);
      observer_.ProcessEvents();
      cancelled = observer_.CloseRequested() && !observer_.MustFinishBuilding();
      if (i <= 1) {
        const std::int64_t percent =
            RoundHalfEven(static_cast<std::int64_t>(j + 1) * 50, static_cast<std::int64_t>(drawList.size())) + i * 50;
        observer_.SetCaption(flyer_.FlyerTitle + " (building page 1 - " + std::to_string(percent) + "%)");
      }
    }
    if (i == 1 && !cancelled) observer_.FirstPageReady(flyer_);
    ++i;
    if (i >= 2)
      observer_.SetCaption(flyer_.FlyerTitle + " (building " + std::to_string(RoundHalfEven(i * 100, pageCount)) +
                           "%)");
  }
  return !cancelled;
}

}  // namespace qrl
