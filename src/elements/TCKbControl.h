#pragma once
// An element definition: the shared content of a picture, text or click area, read once from
// its element block, and the placements (occurrences) of it that pages show.

#include <cstdint>
#include <memory>
#include <vector>

#include "elements/ColourTable.h"
#include "elements/TElementContext.h"
#include "format/TQLStream.h"

namespace qrl {

class TCKbOccurrence;

// Element kinds as element blocks give them.
inline constexpr int kindImage = 1;
inline constexpr int kindClick = 2;
inline constexpr int kindText = 3;
inline constexpr int kindSound = 5;

class TCKbControl {
 public:
  explicit TCKbControl(TElementContext& context);
  // Destroys the occurrences first, in list order, then the element's own resources.
  virtual ~TCKbControl();
  TCKbControl(const TCKbControl&) = delete;
  TCKbControl& operator=(const TCKbControl&) = delete;

  TColourTable Palette;  // filled only on 8-bit screens
  bool Decoded = false;  // image elements only

  virtual int Kind() const = 0;
  // Reads the element payload from a stream placed just after the element header. headerEnd is
  // the absolute position where the bulk data begins (0: the block has no extension length).
  virtual void Load(TQLStream& stream, std::int64_t headerEnd) = 0;
  virtual void Prepare() {}
  // Makes the content resident before it is painted.
  virtual void Ensure() {}
  // Gives resident content up: now when force is set, otherwise when memory runs low.
  virtual void Release(bool force) {}

  // Creates an occurrence of the element's own class and appends it; occurrence k is entry k-1.
  TCKbOccurrence& AddOccurrence();
  const std::vector<std::unique_ptr<TCKbOccurrence>>& Occurrences() const { return occurrences_; }
  // Occurrence by its 1-based number; nullptr when there is none.
  TCKbOccurrence* Occurrence(int number) const;

  TElementContext& Context() const { return context_; }

 protected:
  virtual std::unique_ptr<TCKbOccurrence> CreateOccurrence() = 0;

 private:
  TElementContext& context_;
  std::vector<std::unique_ptr<TCKbOccurrence>> occurrences_;
};

}  // namespace qrl
