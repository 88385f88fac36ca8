#pragma once
// A loaded flyer, usable without any window: the element index with the elements read so far,
// the pages, the information sections, the note, the canvas size, the nav-bar flags and the
// flyer's temporary files. TFlyerLoader fills it; the page builder resolves pages on demand.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/NoteBlock.h"
#include "document/TPlayerPage.h"
#include "document/TSaveRec.h"
#include "document/TTextSection.h"
#include "elements/TElementContext.h"
#include "elements/TTextMeasurer.h"
#include "format/FlyerLayout.h"
#include "format/TTempFiles.h"
#include "imaging/TScreenMetrics.h"

namespace qrl {

// Reads an element block for an index entry; only a loader with the file open can.
class TElementReader {
 public:
  virtual void ReadElement(TSaveRec& entry) = 0;

 protected:
  ~TElementReader() = default;
};

// Which nav-bar buttons the flyer shows.
struct TNavBarVisibility {
  bool PageButtons = true;
  bool Close = true;
  bool Mute = true;
  bool Note = true;
  bool Info = true;
  bool operator==(const TNavBarVisibility&) const = default;
};

class TFlyer {
  // The elements' environment comes first so that it outlives every element.
  TTempFiles tempFiles_;
  TElementContext context_;
  TElementReader* reader_ = nullptr;
  std::unordered_map<std::uint16_t, TSaveRec*> firstById_;
  friend class TFlyerLoader;

 public:
  static constexpr std::int32_t kStandardWidth = 640;
  static constexpr std::int32_t kStandardHeight = 340;

  // measurer must outlive the flyer. screen sizes the note's default place and decodes pictures.
  explicit TFlyer(const TTextMeasurer& measurer, const TScreenMetrics& screen = {});
  ~TFlyer();  // unloads
  TFlyer(const TFlyer&) = delete;
  TFlyer& operator=(const TFlyer&) = delete;

  std::vector<std::unique_ptr<TSaveRec>> Elements;  // one per element block, in file order (AddElement)
  std::vector<std::unique_ptr<TPlayerPage>> Pages;  // 0: the background page
  TTextSections InfoSections;
  TStrings NoteLines;
  TNoteBounds NoteBounds;
  bool HasNoteBlock = false;
  std::string FileName;
  // The caption: whatever the caller sets before loading (shown while scanning), then the
  // title of the information block or the file name.
  std::string FlyerTitle;
  std::int32_t FlyerWidth = 0;
  std::int32_t FlyerHeight = 0;
  std::int32_t AreaWidth = 0;  // the page area; the window changes it when it resizes
  std::int32_t AreaHeight = 0;
  std::optional<std::int16_t> NavBarFlags;  // absent: the file has no nav-bar block
  TFileHeader Header;
  TFlyerRegion Region;

  TTempFiles& TempFiles() { return tempFiles_; }
  TElementContext& Context() { return context_; }

  // A canvas other than 640 x 340 opens in presentation mode.
  bool IsStandardSize() const { return FlyerWidth == kStandardWidth && FlyerHeight == kStandardHeight; }
  // The buttons the nav-bar block shows; before format code 16 the info button stays hidden.
  // Absent when the file has no nav-bar block.
  std::optional<TNavBarVisibility> NavBarVisibility() const;
  std::string InfoValue(const std::string& sectionName, const std::string& key) const;

  // Appends an index entry; the first entry of an id is the one FindElement gives.
  TSaveRec& AddElement(std::unique_ptr<TSaveRec> entry);
  // The first entry with this id, or nullptr.
  TSaveRec* FindElement(std::uint16_t id) const;
  // Reads the entry's element unless it was read already; only possible while loading.
  void LoadElement(TSaveRec& entry);
  // Resolves page index's references (reading elements on first need), fills its lists and
  // marks the occurrences' locations. Does nothing for a page already built.
  void BuildPage(int index);

  // Frees the whole model and deletes the temporary files.
  void Unload();
};

}  // namespace qrl
