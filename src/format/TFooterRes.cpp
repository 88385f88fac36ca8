#include "format/TFooterRes.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>

#include "format/FileNames.h"
#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

constexpr std::int64_t kMaxLength = std::numeric_limits<std::int32_t>::max();

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

TFooterRes::TFooterRes(const std::string& source, bool noOldFooter, const std::string& target)
    : sourceName_(source), targetName_(target), noOldFooter_(noOldFooter) {
  // The running program's own file can be read directly here, so no working copy is needed.
  try {
    source_ = std::make_unique<TQLStream>(source, TOpenMode::fmOpenRead);
  } catch (const EFileError&) {
    throw EQuireleafException("File Access error");
  }
  struct stat st {};
  sourceExecutable_ = ::stat(source.c_str(), &st) == 0 && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
  if (SameFile(source, target)) throw EFileError("Cannot build \"" + target + "\" from itself");

  oldFooter_ = FindFooter(*source_);
  if (oldFooter_.Present()) {
    // Walk the old entries once now, so that a damaged footer is refused before anything is written.
    source_->Seek(oldFooter_.Start, TSeekOrigin::soBeginning);
    TFooterRecord record;
    while (ReadFooterRecord(*source_, oldFooter_.End, record)) source_->Seek(record.End(), TSeekOrigin::soBeginning);
  }
  footerStart_ = oldFooter_.Present() ? oldFooter_.Start : source_->Size();
  target_ = std::make_unique<TQLStream>(target, TOpenMode::fmCreate);
  source_->Seek(0, TSeekOrigin::soBeginning);
  target_->CopyFrom(*source_, footerStart_);
}

TFooterRes::~TFooterRes() {
  try {
    Finish();
  } catch (...) {
    // A destructor must not throw; callers who need the outcome call Finish() themselves.
  }
}

bool TFooterRes::AddFile(const std::string& file, const std::string& resourceName) {
  if (!target_) return false;
  const std::string name = resourceName.empty() ? ExtractFileName(file) : resourceName;
  if (name.size() > kMaxResourceName || name.find('\0') != std::string::npos) return false;
  try {
    TQLStream in(file, TOpenMode::fmOpenRead);
    const std::int64_t dataSize = in.Size();
    const auto nameLength = static_cast<std::uint16_t>(name.size() + 1);
    if (dataSize > kMaxLength - 2 - nameLength) return false;
    WriteTag(*target_, kFlyerTag);
    target_->WriteLongInt(static_cast<std::int32_t>(dataSize + 2 + nameLength));
    target_->WriteWord(nameLength);
    target_->WriteBuffer(name.c_str(), nameLength);
    // A file that shrinks while it is copied fails here instead of leaving an entry shorter
    // than its stored length.
    target_->CopyFrom(in, dataSize);
  } catch (const std::exception&) {
    return false;
  }
  if (std::find(addedTags_.begin(), addedTags_.end(), kFlyerTag) == addedTags_.end()) addedTags_.push_back(kFlyerTag);
  return true;
}

void TFooterRes::Finish() {
  if (!target_) return;
  if (oldFooter_.Present() && !noOldFooter_) {
    // Old entries follow the new ones in their old order; one whose tag was just added is dropped.
    source_->Seek(oldFooter_.Start, TSeekOrigin::soBeginning);
    TFooterRecord record;
    while (ReadFooterRecord(*source_, oldFooter_.End, record)) {
      if (std::find(addedTags_.begin(), addedTags_.end(), record.Tag) == addedTags_.end()) {
        WriteTag(*target_, record.Tag);
        target_->WriteLongInt(record.Length);
        target_->CopyFrom(*source_, record.Length);
      }
      source_->Seek(record.End(), TSeekOrigin::soBeginning);
    }
  }
  const std::int64_t footerLength = target_->Position() - footerStart_;
  if (footerLength > kMaxLength) throw EFileError("The footer of \"" + targetName_ + "\" is too large");
  if (footerLength >= 1) {
    target_->WriteLongInt(static_cast<std::int32_t>(footerLength));
    WriteTag(*target_, kTrailerTag);
  }
  target_.reset();
  source_.reset();
  if (sourceExecutable_) {
    struct stat st {};
    if (::stat(targetName_.c_str(), &st) != 0 ||
        ::chmod(targetName_.c_str(), (st.st_mode & 07777) | ((st.st_mode & 0444) >> 2)) != 0)
      throw EFileError("Cannot make \"" + targetName_ + "\" executable");
  }
}

std::string MakeUniqueFileName(const std::string& fileName, const std::string& excluded) {
  const std::string extension = ExtractFileExt(fileName);
  std::string base = fileName.substr(0, fileName.size() - extension.size());
  std::string name = fileName;
  for (unsigned i = 0; Exists(name) || (!excluded.empty() && SameText(name, excluded)); ++i) {
    const std::string digits = std::to_string(i);
    const std::size_t fileLength = ExtractFileName(base).size();
    if (fileLength + digits.size() <= 8 || fileLength > 8) {
      base += digits;
    } else {
      const std::size_t keep = base.size() - std::min(digits.size(), fileLength);
      base = base.substr(0, keep) + digits;
    }
    name = base + extension;
  }
  return name;
}

}  // namespace qrl
