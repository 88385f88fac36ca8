#include "document/FlyerCopy.h"

#include <filesystem>

#include "format/FileNames.h"
#include "format/FlyerLayout.h"
#include "format/Packing.h"
#include "format/QuireleafException.h"
#include "format/TAtomicFile.h"

namespace qrl {

namespace {

constexpr std::int64_t kMagicSize = 8;

std::string ChangeFileExt(const std::string& name, const std::string& extension) {
  return name.substr(0, name.size() - ExtractFileExt(name).size()) + extension;
}

}  // namespace

void CopyFlyerWithNote(TQLStream& source, TQLStream& target, const TStrings& noteLines,
                       const TNoteBounds& noteBounds) {
  const TFlyerRegion region = LocateFlyerData(source, IsKickstarterName(source.FileName()));
  CheckMagic(source);
  source.Seek(region.Start, TSeekOrigin::soBeginning);
  target.CopyFrom(source, kMagicSize);
  source.CopyBlockTo(target);

  // The stream refuses any block that would pass the region's end, and a code cut short by it
  // is followed by no block that fits.
  bool noteWritten = false;
  while (source.Position() < region.End) {
    const std::uint16_t code = source.ReadWord();
    if (code == bcNote) {
      if (!noteWritten) {
        target.WriteWord(bcNote);
        WriteNoteBlock(target, noteLines, noteBounds);
        noteWritten = true;
      }
      source.PassBlock();
    } else {
      target.WriteWord(code);
      source.CopyBlockTo(target);
    }
  }
  if (!noteWritten) {
    target.WriteWord(bcNote);
    WriteNoteBlock(target, noteLines, noteBounds);
  }
}

void WriteFlyerCopy(const std::string& sourcePath, const std::string& targetPath, const TStrings& noteLines,
                    const TNoteBounds& noteBounds, const std::string& kickstarterPath) {
  const bool packed = IsKickstarterName(targetPath);
  std::error_code ec;
  if (packed && (kickstarterPath.empty() || !std::filesystem::is_regular_file(kickstarterPath, ec)))
    throw EQuireleafException(kNoKickstarterMessage);

  TAtomicFile copy(targetPath);
  {
    TQLStream source(sourcePath, TOpenMode::fmOpenRead);
    TQLStream target(copy.TempPath(), TOpenMode::fmCreate);
    CopyFlyerWithNote(source, target, noteLines, noteBounds);
  }
  if (!packed) {
    copy.Commit();
    return;
  }
  PackFlyer(kickstarterPath, copy.TempPath(), ChangeFileExt(ExtractFileName(sourcePath), ".QRL"), targetPath);
}

}  // namespace qrl
