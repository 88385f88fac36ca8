#include "format/FlyerLayout.h"

#include <algorithm>
#include <string>

#include "format/FileNames.h"
#include "format/FooterRecords.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic{0xEE, 'Q', 'L', 'F', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::array<std::uint8_t, 4> kCompactedMagic{0xEE, 'Q', 'R', 'L'};

// "1.21" for 121: whole digits, a point and two decimals, whatever the user's locale says.
std::string VersionText(std::uint16_t hundredths) {
  const int cents = hundredths % 100;
  return std::to_string(hundredths / 100) + (cents < 10 ? ".0" : ".") + std::to_string(cents);
}

}  // namespace

bool IsKickstarterName(const std::string& path) { return UpperCase(ExtractFileExt(path)) == ".EXE"; }

TFlyerRegion LocateFlyerData(TQLStream& stream, bool kickstarter) {
  if (!kickstarter) {
    stream.Seek(0, TSeekOrigin::soBeginning);
    stream.SetRegionEnd(stream.Size());
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
      stream.SetRegionEnd(region.End);
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
  stream.ReadBlock([&header](TQLStream& s) {
    // Each field is judged as soon as it is read: an older layout may not even have the rest.
    header.FormatCode = s.ReadFormatCode();
    if (header.FormatCode < kMinFormatCode)
      throw EQuireleafInvalidFile("File has an old format (code " + std::to_string(header.FormatCode) +
                                  "); contact Quireleaf for more info.");
    header.NeededVersion = s.ReadWord();
    if (header.NeededVersion > kPlayerVersion)
      throw EQuireleafInvalidFile("You need at least version " + VersionText(header.NeededVersion) +
                                  " to read this file. Contact Quireleaf to update your software.");
    auto& b = header.Stamp.Bytes;
    s.ReadStamp(header.Stamp.Word, b[0], b[1], b[2], b[3], b[4]);
  });
  return header;
}

void WriteMagic(TQLStream& stream) { stream.WriteBuffer(kMagic.data(), static_cast<std::int64_t>(kMagic.size())); }

void WriteFileHeader(TQLStream& stream, std::uint16_t formatCode, std::uint16_t neededVersion, const TStamp& stamp) {
  stream.WriteBlock([&](TQLStream& s) {
    s.WriteWord(formatCode);
    s.WriteWord(neededVersion);
    const auto& b = stamp.Bytes;
    s.WriteStamp(stamp.Word, b[0], b[1], b[2], b[3], b[4]);
  });
}

void WriteCodedBlock(TQLStream& stream, std::uint16_t code, const std::function<void(TQLStream&)>& payload) {
  stream.WriteWord(code);
  stream.WriteBlock(payload);
}

}  // namespace qrl
