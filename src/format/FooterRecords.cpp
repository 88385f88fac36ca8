#include "format/FooterRecords.h"

#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"

namespace qrl {

TTag ReadTag(TQLStream& stream) {
  TTag tag{};
  stream.Read(tag.data(), static_cast<std::int64_t>(tag.size()));
  return tag;
}

void WriteTag(TQLStream& stream, const TTag& tag) {
  stream.WriteBuffer(tag.data(), static_cast<std::int64_t>(tag.size()));
}

TFooterArea FindFooter(TQLStream& stream) {
  const std::int64_t trailer = stream.Size() - kTrailerSize;
  if (trailer < 0) return {};
  stream.Seek(trailer, TSeekOrigin::soBeginning);
  const std::int32_t length = stream.ReadLongInt();
  if (ReadTag(stream) != kTrailerTag) return {};
  if (length < 0 || length > trailer) throw EQuireleafInvalidFile(kNotKickstarterMessage);
  return {trailer - length, trailer};
}

bool ReadFooterRecord(TQLStream& stream, std::int64_t areaEnd, TFooterRecord& record) {
  record.Offset = stream.Position();
  if (record.Offset + 8 > areaEnd) return false;
  record.Tag = ReadTag(stream);
  record.Length = stream.ReadLongInt();
  if (record.Length < 0 || record.End() > areaEnd) throw EQuireleafInvalidFile(kNotKickstarterMessage);
  return true;
}

}  // namespace qrl
