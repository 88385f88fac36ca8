#pragma once
// Loads a flyer file into a TFlyer in two passes. The scan walks the blocks once, reads the small
// ones (information, nav bar, note, pages) and only indexes the element blocks; the build then
// resolves every page, reading each element block on first need and preparing it (decoding its
// picture), page after page, while the observer shows page 1 as soon as it is ready.

#include <cstdint>
#include <memory>
#include <string>

#include "document/TFlyer.h"
#include "document/TLoadObserver.h"
#include "format/TQLStream.h"

namespace qrl {

enum class TLoadResult {
  lrComplete,          // every page built and no close requested: the flyer is open
  lrClosedInScan,      // a close request stopped the scan; nothing was built
  lrClosedInBuild,     // a close request cancelled building; not every page is built
  lrClosedAfterBuild,  // every page built (the note had to be kept), but a close is requested
};

class TFlyerLoader : private TElementReader {
 public:
  // The flyer must be empty (new, or unloaded); its FlyerTitle may hold the caption to show
  // until the information block is read. placeholderFolder: where the pictures for empty
  // placeholder texts come from; empty: placeholders stay texts.
  TFlyerLoader(TFlyer& flyer, TLoadObserver& observer, std::string placeholderFolder = {});
  ~TFlyerLoader();
  TFlyerLoader(const TFlyerLoader&) = delete;
  TFlyerLoader& operator=(const TFlyerLoader&) = delete;

  // The whole load: Open, ScanFlyer, BuildPages (with the FIF decoder library held), Close.
  // Errors are exceptions; the file is closed on every path and the caller unloads the flyer.
  TLoadResult LoadFlyer(const std::string& path);
  // The same over a stream already open (a flyer in memory); its FileName names the flyer.
  TLoadResult LoadFlyer(std::unique_ptr<TQLStream> stream);

  // The steps on their own, for tools and measurements.
  // Opens the file read-only and sets FileName and the note's default place.
  void Open(const std::string& path);
  void Open(std::unique_ptr<TQLStream> stream);
  // Locates the flyer region, checks magic and header, and walks the blocks.
  void ScanFlyer();
  // The build loop over all pages; false when a close request cancelled it.
  bool BuildPages();
  // Closes the file; elements not read by now can no longer be read.
  void Close();

 private:
  void ReadElement(TSaveRec& entry) override;
  void ReadNavBarBlock();
  void ReadFlyerInfo();
  void ReadFlyerInfoPayload(TQLStream& s);
  void ReadElementIndex(std::uint16_t code);
  void ReadPageBlock(std::uint16_t code);
  void ReadOccurrence(TCKbControl* control, TCKbSound* sound);
  void SkipBlock();
  std::string FillPlaceholder();

  TFlyer& flyer_;
  TLoadObserver& observer_;
  std::unique_ptr<TQLStream> stream_;
  std::string placeholderFolder_;
  int placeholdersUsed_ = 0;
};

}  // namespace qrl
