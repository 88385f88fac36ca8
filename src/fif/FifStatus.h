#pragma once
// The status numbers of the FIF codec: the library's entry points return them, and the C++
// classes carry them in EFifError. 0 and -2 are fixed by the callers; the rest are ours.

#include <cstdint>
#include <string>

#include "format/QuireleafException.h"

namespace qrl {

enum TFifStatus : std::int32_t {
  fsOk = 0,
  fsCancelled = -2,
  fsBadHandle = 1,          // no open decompressor has this handle
  fsBadArgument = 2,        // a null pointer, a negative length, a stride too small for the row
  fsNoData = 3,             // no FIF stream has been given to the decompressor
  fsNotFif = 4,             // the stream does not start with the FIF signature
  fsUnsupportedVersion = 5, // a FIF version this decoder does not know
  fsBadHeader = 6,          // header fields out of range (sizes, coding parameters, flags)
  fsDamaged = 7,            // checksum mismatch, truncated or inconsistent picture data
  fsBadOutputSize = 8,      // output width or height below 1 or above the caps
  fsBadOutputFormat = 9,    // an output format other than 24-bit BGR bottom-up
  fsOutOfMemory = 10,       // working memory for the picture could not be allocated
  fsTooManyDecompressors = 11,
  fsNotSupported = 12,      // palette output and progressive decoding are not offered
  fsBadPicture = 13,        // the encoder was given no picture or one beyond the size limits
};

// The message for a status, for tools and logs.
const char* FifStatusText(std::int32_t status);

class EFifError : public EQuireleafException {
 public:
  explicit EFifError(TFifStatus status) : EQuireleafException(FifStatusText(status)), status_(status) {}
  EFifError(TFifStatus status, const std::string& detail)
      : EQuireleafException(std::string(FifStatusText(status)) + ": " + detail), status_(status) {}
  TFifStatus Status() const noexcept { return status_; }
  const char* ClassName() const noexcept override { return "EFifError"; }

 private:
  TFifStatus status_;
};

}  // namespace qrl
