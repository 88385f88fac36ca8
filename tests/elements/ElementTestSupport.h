#pragma once
// Writes element and occurrence blocks as flyer files carry them and reads them back through
// the element classes, the way the loader does.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "elements/TCKbControl.h"
#include "elements/TCKbOccurrence.h"
#include "elements/TElementContext.h"
#include "format/FlyerLayout.h"
#include "format/TQLStream.h"
#include "format/TTempFiles.h"
#include "support/FixedWidthMeasurer.h"
#include "support/TempDir.h"

namespace qrl::test {

using TPayload = std::function<void(TQLStream&)>;

struct TBlock {
  std::uint16_t Code;
  TPayload Payload;
};

// A file: the format code word, then coded blocks.
inline std::string WriteBlocks(const TempDir& dir, std::uint16_t formatCode, const std::vector<TBlock>& blocks) {
  const std::string path = dir.File("blocks.qrl");
  TQLStream out(path, TOpenMode::fmCreate);
  out.WriteWord(formatCode);
  for (const TBlock& b : blocks) WriteCodedBlock(out, b.Code, b.Payload);
  return path;
}

// The common placement of an occurrence payload.
inline void WritePlacement(TQLStream& s, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  for (const std::int32_t v : {left, top, width, height}) s.WriteLongInt(v);
  s.WriteSmallInt(0);
  s.WriteSmallInt(0);
}

// Reads the stream's coded blocks one after the other.
class TBlockReader {
 public:
  explicit TBlockReader(const std::string& path) : stream_(path, TOpenMode::fmOpenRead) { stream_.ReadFormatCode(); }

  TQLStream& Stream() { return stream_; }

  // Opens the next block and returns its code.
  std::uint16_t Open() {
    const std::uint16_t code = stream_.ReadWord();
    stream_.ReadBlockStart(0);
    stream_.ChecksumOn();
    return code;
  }
  void Close() {
    stream_.ReadBlockEnd();
    stream_.CheckChecksum();
  }

  // An element block whose payload is only the element's own (no kind/id/count header); with an
  // extended code the payload starts with the fixed-part length.
  void LoadElement(TCKbControl& element) {
    const std::uint16_t code = Open();
    std::int64_t fixedEnd = 0;
    if (code == bcElementExt) {
      const std::int16_t length = stream_.ReadSmallInt();
      fixedEnd = stream_.Position() + length;
    }
    element.Load(stream_, fixedEnd);
    Close();
  }
  TCKbOccurrence& LoadOccurrence(TCKbControl& element) {
    const std::uint16_t code = Open();
    TCKbOccurrence& occurrence = element.AddOccurrence();
    occurrence.Load(stream_, code & 0xFF);
    Close();
    return occurrence;
  }

 private:
  TQLStream stream_;
};

// A context with temporary files in a test folder and a 6 x 10 pixel measurer.
struct TElementEnvironment {
  TempDir Dir;
  TTempFiles TempFiles{Dir.Path().string()};
  FixedWidthMeasurer Measurer{6, 10};
  TElementContext Context;

  TElementEnvironment() {
    Context.TempFiles = &TempFiles;
    Context.Measurer = &Measurer;
  }
};

}  // namespace qrl::test
