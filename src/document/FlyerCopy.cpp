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

// Checks that a block of the source lies inside the flyer region and returns its payload size.
std::int32_t ReadBlockSize(TQLStream& source, std::int64_t end) {
  if (end - source.Position() < 4) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  const std::int32_t size = source.ReadLongInt();
  if (size < 0 || size + std::int64_t{4} > end - source.Position()) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  return size;
}

void CopyBlock(TQLStream& source, TQLStream& target, std::int64_t end) {
  const std::int32_t size = ReadBlockSize(source, end);
  target.WriteLongInt(size);
  target.CopyFrom(source, size + std::int64_t{4});
}

void SkipBlock(TQLStream& source, std::int64_t end) {
  const std::int32_t size = ReadBlockSize(source, end);
  source.Seek(source.Position() + size + 4, TSeekOrigin::soBeginning);
}

void CopyWithNote(const std::string& sourcePath, const std::string& copyPath, const TStrings& noteLines,
                  const TNoteBounds& noteBounds) {
  TQLStream source(sourcePath, TOpenMode::fmOpenRead);
  const TFlyerRegion region = LocateFlyerData(source, IsKickstarterName(sourcePath));
  CheckMagic(source);
  source.Seek(region.Start, TSeekOrigin::soBeginning);
  TQLStream target(copyPath, TOpenMode::fmCreate);
  target.CopyFrom(source, kMagicSize);
  CopyBlock(source, target, region.End);

  bool noteWritten = false;
  while (source.Position() < region.End) {
    if (region.End - source.Position() < 2) throw EQuireleafDebugger(ecBlockEdgeExceeded);
    const std::uint16_t code = source.ReadWord();
    if (code == bcNote) {
      if (!noteWritten) {
        target.WriteWord(bcNote);
        WriteNoteBlock(target, noteLines, noteBounds);
        noteWritten = true;
      }
      SkipBlock(source, region.End);
    } else {
      target.WriteWord(code);
      CopyBlock(source, target, region.End);
    }
  }
  if (!noteWritten) {
    target.WriteWord(bcNote);
    WriteNoteBlock(target, noteLines, noteBounds);
  }
}

std::string ChangeFileExt(const std::string& name, const std::string& extension) {
  return name.substr(0, name.size() - ExtractFileExt(name).size()) + extension;
}

}  // namespace

void WriteFlyerCopy(const std::string& sourcePath, const std::string& targetPath, const TStrings& noteLines,
                    const TNoteBounds& noteBounds, const std::string& kickstarterPath) {
  const bool packed = IsKickstarterName(targetPath);
  std::error_code ec;
  if (packed && (kickstarterPath.empty() || !std::filesystem::is_regular_file(kickstarterPath, ec)))
    throw EQuireleafException(kNoKickstarterMessage);

  TAtomicFile copy(targetPath);
  CopyWithNote(sourcePath, copy.TempPath(), noteLines, noteBounds);
  if (!packed) {
    copy.Commit();
    return;
  }
  PackFlyer(kickstarterPath, copy.TempPath(), ChangeFileExt(ExtractFileName(sourcePath), ".QRL"), targetPath);
}

}  // namespace qrl
