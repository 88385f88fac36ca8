// Feeds arbitrary bytes to the FIF decoder and renders the result at a small size taken from
// the input, touching every output pixel. The closing checksum is rewritten first: otherwise
// nearly every mutation would stop at the checksum and the parser behind it would go untested.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fif/FifBitstream.h"
#include "fif/FifDecoder.h"
#include "fif/FifStatus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qrl;
  if (size < 8 || size > (1u << 16)) return 0;
  std::vector<std::uint8_t> bytes(data, data + size - 4);
  AppendFifChecksum(bytes);
  try {
    TFifHeader header;
    ReadFifHeader(bytes, header);
    // Keep each run quick: pictures up to four megapixels.
    if (std::int64_t{header.width} * header.height > (std::int64_t{1} << 22)) return 0;
    const TFifDecoder decoder(bytes);
    const int width = 1 + data[size - 4] % 96;
    const int height = 1 + data[size - 3] % 96;
    const TDib out = decoder.Render(width, height);
    unsigned sum = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 3 * width; ++x) sum += out.ScanLine(y)[x];
    volatile unsigned sink = sum;
    (void)sink;
  } catch (const EFifError&) {
  }
  return 0;
}
