#include "format/FlyerLayout.h"

#include <algorithm>
#include <cstdio>

#include "format/FileNames.h"
#include "format/FooterRecords.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic{0xEE, 'Q', 'L', 'F', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::array<std::uint8_t, 4> kCompactedMagic{0xEE, 'Q', 'R', 'L'};

std::string VersionText(std::uint16_t hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%4.2f", hundredths * 0.01);
  return text;
}

}  // namespace

bool IsKickstarterName(const std::string& path) { return UpperCase(ExtractFileExt(path)) == ".EXE"; }

TFlyerRegion LocateFlyerData(TQLStream& stream, bool kickstarter) {
  if (!kickstarter) {
    stream.Seek(0, TSeekOrigin::soBeginning);
    return {0, stream.Size()};
  }
  const TFooterArea area = FindFooter(stream);
  if (!area.Present()) throw EQuireleafInvalidFile(kNotKickstarterMessage);
  stream.Seek(area.Start, TSeekOrigin::soBeginning);
  TFooterRecord record;
  // Every record advances the position by at least its 8-byte header, so the walk ends.
  while (ReadFooterRecord(stream, area.End, record)) {
    if (record.Tag == kFlyerTag) {
      const std::uint16_t nameLength = stream.ReadWord();
      if (record.Length < 2 + nameLength) throw EQuireleafInvalidFile(kNotKickstarterMessage);
      const TFlyerRegion region{record.DataStart() + 2 + nameLength, record.End()};
      stream.Seek(region.Start, TSeekOrigin::soBeginning);
      return region;
    }
    stream.Seek(record.End(), TSeekOrigin::soBeginning);
  }
  throw EQuireleafInvalidFile(kNotKickstarterMessage);
}

void CheckMagic(TQLStream& stream) {
  std::array<std::uint8_t, 8> bytes{};
  stream.Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  if (bytes == kMagic) return;
  if (std::equal(kCompactedMagic.begin(), kCompactedMagic.end(), bytes.begin()))
    throw EQuireleafInvalidFile(kCompactedMessage);
  throw EQuireleafInvalidFile(kNotQuireleafMessage);
}

TFileHeader CheckFileHeader(TQLStream& stream) {
  TFileHeader header;
  stream.ReadBlockStart(0);
  stream.ChecksumOn();
  // Each field is judged as soon as it is read: an older layout may not even have the rest.
  header.FormatCode = stream.ReadFormatCode();
  if (header.FormatCode < kMinFormatCode)
    throw EQuireleafInvalidFile("File has an old format (code " + std::to_string(header.FormatCode) +
                                "); contact Quireleaf for more info.");
  header.NeededVersion = stream.ReadWord();
  if (header.NeededVersion > kPlayerVersion)
    throw EQuireleafInvalidFile("You need at least version " + VersionText(header.NeededVersion) +
                                " to read this file. Contact Quireleaf to update your software.");
  auto& b = header.Stamp.Bytes;
  stream.ReadStamp(header.Stamp.Word, b[0], b[1], b[2], b[3], b[4]);
  stream.ReadBlockEnd();
  stream.CheckChecksum();
  return header;
}

void WriteMagic(TQLStream& stream) { stream.WriteBuffer(kMagic.data(), static_cast<std::int64_t>(kMagic.size())); }

void WriteFileHeader(TQLStream& stream, std::uint16_t formatCode, std::uint16_t neededVersion, const TStamp& stamp) {
  stream.BeginBlock();
  stream.ChecksumOn();
  stream.WriteWord(formatCode);
  stream.WriteWord(neededVersion);
  const auto& b = stamp.Bytes;
  stream.WriteStamp(stamp.Word, b[0], b[1], b[2], b[3], b[4]);
  stream.WriteChecksum();
  stream.EndBlock();
}

void WriteCodedBlock(TQLStream& stream, std::uint16_t code, const std::function<void(TQLStream&)>& payload) {
  stream.WriteWord(code);
  stream.BeginBlock();
  stream.ChecksumOn();
  payload(stream);
  stream.WriteChecksum();
  stream.EndBlock();
}

}  // namespace qrl
