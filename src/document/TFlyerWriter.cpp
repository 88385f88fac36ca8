#include "document/TFlyerWriter.h"

#include <zlib.h>

#include <type_traits>

#include "format/FlyerLayout.h"
#include "format/TAtomicFile.h"

namespace qrl {

namespace {

void WriteBytes(TQLStream& stream, const TBytes& bytes) {
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void WritePlacement(TQLStream& stream, const TPlacementDesc& p) {
  stream.WriteLongInt(p.Left);
  stream.WriteLongInt(p.Top);
  stream.WriteLongInt(p.Width);
  stream.WriteLongInt(p.Height);
  stream.WriteSmallInt(p.Ignored1);
  stream.WriteSmallInt(p.Ignored2);
}

// Byte length of the fixed element fields this player knows, after the common header.
int KnownElementFixedLength(std::int16_t kind) {
  switch (kind) {
    case ekImage: return 2;
    case ekClick: return 2;
    case ekText: return 16;
    case ekSound: return 10;
    default: return 0;
  }
}

// Byte length of the fixed page fields before the reference count.
int KnownPageFixedLength(const TPageDesc& page) { return 2 + 3 + 2 + static_cast<int>(page.Name.size()) + 1 + 2 + 2 + 2; }

}  // namespace

void TFlyerWriter::WriteStart(const THeaderDesc& header) {
  formatCode_ = header.FormatCode;
  WriteMagic(stream_);
  stream_.WriteBlock([&header](TQLStream& s) {
    s.WriteWord(header.FormatCode);
    s.WriteWord(header.NeededVersion);
    s.WriteStamp(header.StampWord, header.StampBytes[0], header.StampBytes[1], header.StampBytes[2],
                 header.StampBytes[3], header.StampBytes[4]);
    WriteBytes(s, header.Extra);
  });
}

void TFlyerWriter::WriteBlock(const TBlockDesc& block) {
  std::visit(
      [this](const auto& b) {
        using T = std::decay_t<decltype(b)>;
        if constexpr (std::is_same_v<T, TInfoDesc>)
          WriteInfo(b, 0, 0);
        else if constexpr (std::is_same_v<T, TNavBarDesc>)
          WriteNavBar(b);
        else if constexpr (std::is_same_v<T, TNoteDesc>)
          WriteNote(b);
        else if constexpr (std::is_same_v<T, TElementDesc>)
          WriteElement(b);
        else if constexpr (std::is_same_v<T, TPageDesc>)
          WritePage(b);
        else
          WriteRaw(b);
      },
      block);
}

void TFlyerWriter::WriteInfo(const TInfoDesc& info, int elementCount, int pageCount) {
  WriteCodedBlock(stream_, bcFlyerInfo, [&](TQLStream& s) {
    s.WriteLongInt(info.Width);
    s.WriteLongInt(info.Height);
    s.WriteSmallInt(info.ElementCount.value_or(static_cast<std::int16_t>(elementCount)));
    s.WriteSmallInt(info.PageCount.value_or(static_cast<std::int16_t>(pageCount)));
    s.WriteSmallInt(info.Reserved1);
    s.WriteSmallInt(info.Reserved2);
    if (formatCode_ < 16) return;
    s.WriteWord(static_cast<std::uint16_t>(info.Sections.size()));
    for (const auto& section : info.Sections) {
      s.WriteSmallInt(section.Unused);
      s.WriteText(section.Name);
      s.WriteWord(static_cast<std::uint16_t>(section.Items.size()));
      for (const auto& item : section.Items) {
        s.WriteText(item.Key);
        s.WriteLines(item.Lines);
      }
    }
  });
}

void TFlyerWriter::WriteNavBar(const TNavBarDesc& navBar) {
  WriteCodedBlock(stream_, bcNavBar, [&](TQLStream& s) {
    s.WriteSmallInt(navBar.Flags);
    WriteBytes(s, navBar.Extra);
  });
}

void TFlyerWriter::WriteNote(const TNoteDesc& note) {
  stream_.WriteWord(bcNote);
  WriteNoteBlock(stream_, note.Lines, note.Bounds);
}

void TFlyerWriter::WriteElement(const TElementDesc& e) {
  WriteCodedBlock(stream_, e.Extended ? bcElementExt : bcElement, [&](TQLStream& s) {
    if (e.Extended)
      s.WriteSmallInt(static_cast<std::int16_t>(6 + KnownElementFixedLength(e.Kind) + e.ExtraFixed.size()));
    s.WriteSmallInt(e.Kind);
    s.WriteWord(e.Id);
    s.WriteWord(e.DeclaredOccurrences.value_or(static_cast<std::uint16_t>(e.Occurrences.size())));
    const auto extraFixed = [&] {
      if (e.Extended) WriteBytes(s, e.ExtraFixed);
    };
    switch (e.Kind) {
      case ekImage:
        s.WriteSmallInt(e.ImageCompression);
        extraFixed();
        WriteBytes(s, e.PictureData);
        break;
      case ekClick:
        s.WriteSmallInt(e.Shape);
        extraFixed();
        break;
      case ekText:
        s.WriteSmallInt(e.TextCompression);
        s.WriteColor(e.BackColour);
        s.WriteWord(e.FontCode);
        s.WriteSmallInt(e.TextReserved);
        s.WriteColor(e.TextColour);
        s.WriteSmallInt(e.FontSize);
        s.WriteSmallInt(e.TextFlags);
        extraFixed();
        s.WriteLines(e.Lines);
        break;
      case ekSound:
        s.WriteWord(e.SoundCompression);
        s.WriteWord(e.Channels);
        s.WriteLongInt(static_cast<std::int32_t>(e.SampleRate));
        s.WriteWord(e.BitsPerSample);
        extraFixed();
        WriteBytes(s, e.SoundData);
        break;
      default:
        extraFixed();
        break;
    }
  });
  for (const auto& occurrence : e.Occurrences) WriteOccurrence(e, occurrence);
}

void TFlyerWriter::WriteOccurrence(const TElementDesc& e, const TOccurrenceDesc& o) {
  const auto code = static_cast<std::uint16_t>(0x8400 | (o.Layout & 0xFF));
  WriteCodedBlock(stream_, code, [&](TQLStream& s) {
    if (formatCode_ > 13) {
      s.WriteWord(o.Unused1);
      s.WriteWord(o.Unused2);
    }
    const bool layout2 = o.Layout == 2;
    switch (e.Kind) {
      case ekImage:
        if (layout2) WritePlacement(s, o.Placement);
        s.WriteSmallInt(o.ImageFlags);
        if (o.ImageFlags & 1) s.WriteColor(o.KeyColour);
        if (!layout2) WritePlacement(s, o.Placement);
        break;
      case ekClick:
        if (layout2) WritePlacement(s, o.Placement);
        s.WriteSmallInt(o.Action);
        s.WriteWord(o.SoundElement);
        s.WriteWord(o.SoundIndex);
        if (layout2)
          s.WriteText(o.LinkText);
        else
          WritePlacement(s, o.Placement);
        break;
      case ekSound:
        s.WriteLongInt(static_cast<std::int32_t>(o.SoundFlags));
        s.WriteLongInt(static_cast<std::int32_t>(o.Value));
        break;
      default:
        WritePlacement(s, o.Placement);
        break;
    }
    WriteBytes(s, o.Extra);
  });
}

void TFlyerWriter::WritePage(const TPageDesc& page) {
  WriteCodedBlock(stream_, page.Extended ? bcPageExt : bcPage, [&](TQLStream& s) {
    if (page.Extended)
      s.WriteSmallInt(static_cast<std::int16_t>(KnownPageFixedLength(page) + page.ExtraFixed.size()));
    s.WriteSmallInt(page.Reserved1);
    s.WriteColor(page.Colour);
    s.WriteSmallInt(page.Reserved2);
    s.WriteText(page.Name);
    s.WriteSmallInt(page.Reserved3);
    s.WriteWord(page.SoundElement);
    s.WriteWord(page.SoundOccurrence);
    if (page.Extended) WriteBytes(s, page.ExtraFixed);
    s.WriteSmallInt(page.DeclaredRefCount.value_or(static_cast<std::int16_t>(page.Refs.size())));
    for (const auto& ref : page.Refs) {
      s.WriteSmallInt(ref.Unused);
      s.WriteWord(ref.Element);
      s.WriteWord(ref.Occurrence);
    }
  });
}

void TFlyerWriter::WriteRaw(const TRawBlockDesc& raw) {
  stream_.WriteWord(raw.Code);
  if (!raw.BadChecksum) {
    stream_.WriteBlock([&raw](TQLStream& s) { WriteBytes(s, raw.Payload); });
    return;
  }
  // A block whose stored checksum is one off the right one.
  const auto good = static_cast<std::uint32_t>(
      adler32(adler32(0, nullptr, 0), raw.Payload.data(), static_cast<uInt>(raw.Payload.size())));
  stream_.BeginBlock();
  WriteBytes(stream_, raw.Payload);
  stream_.WriteLongInt(static_cast<std::int32_t>(good ^ 1u));
  stream_.EndBlock();
}

void WriteFlyer(const TFlyerDesc& flyer, TQLStream& stream) {
  int elements = 0;
  int pages = 0;
  for (const auto& block : flyer.Blocks) {
    elements += std::holds_alternative<TElementDesc>(block);
    pages += std::holds_alternative<TPageDesc>(block);
  }
  TFlyerWriter writer(stream);
  writer.WriteStart(flyer.Header);
  for (const auto& block : flyer.Blocks) {
    if (const auto* info = std::get_if<TInfoDesc>(&block))
      writer.WriteInfo(*info, elements, pages > 0 ? pages - 1 : 0);
    else
      writer.WriteBlock(block);
  }
}

void WriteFlyerFile(const TFlyerDesc& flyer, const std::string& path) {
  TAtomicFile target(path);
  {
    TQLStream stream(target.TempPath(), TOpenMode::fmCreate);
    WriteFlyer(flyer, stream);
  }
  target.Commit();
}

TBytes FlyerBytes(const TFlyerDesc& flyer) {
  TQLStream stream(TBytes{}, "flyer.qrl");
  WriteFlyer(flyer, stream);
  return *stream.MemoryBytes();
}

}  // namespace qrl
