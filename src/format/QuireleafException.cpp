#include "format/QuireleafException.h"

namespace qrl {

std::string ErrorMessage(ErrorCode code) {
  switch (code) {
    case ecOccurrenceExpected: return "Occurrence Block expected.";
    case ecUnknownEssentialBlock: return "Unknown essential block encountered.";
    case ecChecksumFailed: return "Checksum failed.";
    case ecInvalidBlockSize: return "Invalid block size.";
    case ecBlockEdgeExceeded: return "Block edge exceeded.";
    case ecInvalidImageCompression: return "Invalid Image compression type.";
    case ecUnknownTextCompression: return "Unknown text compression type.";
    case ecChecksumShouldBeOffBegin:
    case ecChecksumShouldBeOffEnd: return "Checksum should be off.";
    case ecOutOfMemory: return "Out of memory.";
    case ecUnknownFont: return "Unknown font";
    case ecUnexpectedNilControl: return "Unexpected NIL control";
    case ecInvalidDC: return "Invalid DC.";
    case ecFifErrorBase: break;
  }
  return {};
}

EQuireleafDebugger::EQuireleafDebugger(ErrorCode code) : EQuireleafDebugger(ErrorMessage(code), code) {}

std::string HandleExceptionMessage(const std::exception& e, bool debug) {
  if (const auto* coded = dynamic_cast<const EQuireleafDebugger*>(&e); coded && !debug)
    return "Error " + std::to_string(coded->HelpContext()) + " has occurred during file access.";
  return e.what();
}

std::string ExceptionClassName(const std::exception& e) {
  if (const auto* q = dynamic_cast<const EQuireleafException*>(&e)) return q->ClassName();
  return "Exception";
}

}  // namespace qrl
