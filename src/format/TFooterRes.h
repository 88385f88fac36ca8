#pragma once
// Builds an executable that carries files in a footer: a copy of the source executable
// without its old footer, the new entries, the old entries that were not replaced, and the
// trailer. The target is complete only after Finish() (or destruction).

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "format/FooterRecords.h"
#include "format/TQLStream.h"

namespace qrl {

class TFooterRes {
 public:
  // Longest resource name AddFile accepts; a longer one makes AddFile return false without
  // writing anything.
  static constexpr std::size_t kMaxResourceName = 260;

  // Opens the source (EQuireleafException "File Access error" when that fails) and writes its
  // executable part to the target. A damaged old footer raises EQuireleafInvalidFile and a
  // target that is the source file itself EFileError, both before the target is touched.
  // noOldFooter: drop the source's old entries instead of carrying them over.
  TFooterRes(const std::string& source, bool noOldFooter, const std::string& target);
  // Finishes if Finish() was not called; errors are then swallowed, so call Finish() to see them.
  ~TFooterRes();
  TFooterRes(const TFooterRes&) = delete;
  TFooterRes& operator=(const TFooterRes&) = delete;

  // Appends a "QXLB" entry holding the whole file, stored under resourceName (or, when that is
  // empty, the file's name without directory). False on any error; what was written of the
  // entry then stays in the target.
  bool AddFile(const std::string& file, const std::string& resourceName = {});

  // Carries the old entries over, writes the trailer (only when there is at least one entry),
  // closes both files and gives the target the execute bits its read bits allow when the source
  // was executable.
  void Finish();

 private:
  std::string sourceName_;
  std::string targetName_;
  std::unique_ptr<TQLStream> source_;
  std::unique_ptr<TQLStream> target_;
  TFooterArea oldFooter_;
  bool noOldFooter_;
  bool sourceExecutable_ = false;
  std::int64_t footerStart_ = 0;
  std::vector<TTag> addedTags_;
};

// Changes the name until no file of that name exists and it differs, ignoring case, from
// `excluded` (when given): digits are appended to the base name, or, for base names of at most
// eight characters, written over its end. '\\', ':' and '/' end a directory part.
std::string MakeUniqueFileName(const std::string& fileName, const std::string& excluded = {});

}  // namespace qrl
