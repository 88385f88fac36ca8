#include "fif/FifStatus.h"

namespace qrl {

const char* FifStatusText(std::int32_t status) {
  switch (status) {
    case fsOk: return "no error";
    case fsCancelled: return "cancelled";
    case fsBadHandle: return "invalid decompressor handle";
    case fsBadArgument: return "invalid argument";
    case fsNoData: return "no FIF data given";
    case fsNotFif: return "not a FIF picture";
    case fsUnsupportedVersion: return "unsupported FIF version";
    case fsBadHeader: return "invalid FIF header";
    case fsDamaged: return "damaged FIF data";
    case fsBadOutputSize: return "invalid output size";
    case fsBadOutputFormat: return "unsupported output format";
    case fsOutOfMemory: return "out of memory";
    case fsTooManyDecompressors: return "too many decompressors open";
    case fsNotSupported: return "not supported";
    case fsBadPicture: return "picture cannot be encoded";
    default: return "unknown FIF error";
  }
}

}  // namespace qrl
