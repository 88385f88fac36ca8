#pragma once
// The program's one exception family. Errors are exceptions, never return codes.

#include <stdexcept>
#include <string>

namespace qrl {

// Numeric codes carried by EQuireleafDebugger (shown as "Error <code> has occurred during file access.").
enum ErrorCode : int {
  ecOccurrenceExpected = 4096,
  ecUnknownEssentialBlock = 4099,
  ecChecksumFailed = 4100,
  ecInvalidBlockSize = 4101,
  ecBlockEdgeExceeded = 4102,
  ecInvalidImageCompression = 4112,
  ecUnknownTextCompression = 4128,
  ecFifErrorBase = 4608,  // code = 4608 - library status
  ecChecksumShouldBeOffBegin = 8448,
  ecChecksumShouldBeOffEnd = 8449,
  ecOutOfMemory = 12288,
  ecUnknownFont = 16384,
  ecUnexpectedNilControl = 16640,
  ecInvalidDC = 16656,
};

class EQuireleafException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  virtual const char* ClassName() const noexcept { return "EQuireleafException"; }
};

// The file is no usable flyer; the message is shown unchanged.
class EQuireleafInvalidFile : public EQuireleafException {
 public:
  using EQuireleafException::EQuireleafException;
  const char* ClassName() const noexcept override { return "EQuireleafInvalidFile"; }
};

class EQuireleafCancelled : public EQuireleafException {
 public:
  using EQuireleafException::EQuireleafException;
  const char* ClassName() const noexcept override { return "EQuireleafCancelled"; }
};

// A damaged file or an internal failure, with its numeric code (the help context).
class EQuireleafDebugger : public EQuireleafException {
 public:
  EQuireleafDebugger(const std::string& message, int code) : EQuireleafException(message), code_(code) {}
  // Raises the message the code table gives for a fixed code.
  explicit EQuireleafDebugger(ErrorCode code);
  int HelpContext() const noexcept { return code_; }
  const char* ClassName() const noexcept override { return "EQuireleafDebugger"; }

 private:
  int code_;
};

// A picture file the platform cannot read as a picture.
class EInvalidGraphic : public EQuireleafException {
 public:
  using EQuireleafException::EQuireleafException;
  const char* ClassName() const noexcept override { return "EInvalidGraphic"; }
};

class EJPEG : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
  const char* ClassName() const noexcept override { return "EJPEG"; }
};

// Input/output failures of a file itself (open, create, read, write), reading and writing alike;
// not a judgement on the flyer.
class EFileError : public EQuireleafException {
 public:
  using EQuireleafException::EQuireleafException;
  const char* ClassName() const noexcept override { return "EFileError"; }
};

// An index outside what it indexes (a page the flyer does not have).
class EOutOfRange : public EQuireleafException {
 public:
  using EQuireleafException::EQuireleafException;
  const char* ClassName() const noexcept override { return "EOutOfRange"; }
};

// The message for a fixed code of the table ("Checksum failed." for 4100 ...); empty for unknown codes.
std::string ErrorMessage(ErrorCode code);

// The text the application-wide handler shows for an exception: a coded error as
// "Error <code> has occurred during file access." unless debug (switch -d) is on.
std::string HandleExceptionMessage(const std::exception& e, bool debug);

// The exception's class name for machine-readable reports.
std::string ExceptionClassName(const std::exception& e);

}  // namespace qrl
