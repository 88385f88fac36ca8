#pragma once
// The block stream through which every flyer is read and written: a file (or memory) stream
// with a 16368-byte read-ahead buffer, a running Adler-32 checksum, one block mark and the typed
// primitives of the flyer format (little-endian integers, 3-byte colours, coded texts and lines).
// While a block is open for reading, no read may pass its end: the read itself raises "Block
// edge exceeded.", so a damaged count can never make a reader spin over bytes that are not there.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "format/StreamStorage.h"

namespace qrl {

using TStrings = std::vector<std::string>;  // Windows-1252 bytes, one entry per line
using TColor = std::uint32_t;               // 0x00BBGGRR: red in the low byte

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TQLStream {
 public:
  static constexpr std::int64_t kReadBufferSize = 16368;
  static constexpr std::int64_t kSkipChunk = 65528;
  static constexpr std::int64_t kCopyChunk = 65536;

  // Opens (fmOpenRead) or creates (fmCreate) the file; raises EFileError when that fails.
  TQLStream(const std::string& fileName, TOpenMode mode);
  // A stream over bytes in memory, read and written like a file called fileName.
  TQLStream(std::vector<std::uint8_t> bytes, const std::string& fileName);
  ~TQLStream();
  TQLStream(const TQLStream&) = delete;
  TQLStream& operator=(const TQLStream&) = delete;

  // Delivers up to count bytes; bytes past the end of the data (the file, or the region end) are
  // zero-filled and not counted in the result (Position still advances over them); the block
  // checks and the checksum reject what follows. Sums all count bytes when summing. Raises
  // "Block edge exceeded." when the bytes would pass the end of the open block, and EFileError
  // when the storage fails.
  std::int64_t Read(void* destination, std::int64_t count);
  std::int64_t Write(const void* source, std::int64_t count);
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin);
  // Whole-buffer transfers: raise EFileError when fewer bytes than asked could be moved.
  void ReadBuffer(void* destination, std::int64_t count);
  void WriteBuffer(const void* source, std::int64_t count);

  std::int64_t Position() const { return position_; }
  std::int64_t Size() const { return size_; }
  // Where the flyer's data ends: the file's end unless SetRegionEnd moved it closer (a flyer
  // packed behind a kickstarter ends before the footer). No block may reach beyond it.
  std::int64_t RegionEnd() const { return regionEnd_ < 0 ? size_ : regionEnd_; }
  void SetRegionEnd(std::int64_t end) { regionEnd_ = end; }
  // The bytes of a memory stream; nullptr for a file.
  const std::vector<std::uint8_t>* MemoryBytes() const;
  const std::string& FileName() const { return fileName_; }
  std::uint16_t FormatCode() const { return formatCode_; }
  std::int64_t BlockMark() const { return blockMark_; }

  // Checksum.
  void ChecksumOn();
  void WriteChecksum();
  bool CheckChecksum();
  std::uint32_t Checksum() const { return checksum_; }

  // Block framing.
  void BeginBlock();
  void EndBlock();
  // Refuses with "Block edge exceeded." a block whose payload and checksum do not fit before
  // RegionEnd, before anything is read or allocated for it.
  void ReadBlockStart(std::int32_t expectedSize);
  void ReadBlockEnd();
  std::int64_t BlockRemaining() const { return blockMark_ - position_; }

  // One whole block, the reading twin of writing one: start, checksum on, payload (which may
  // stop early), end (skipping the rest), checksum check. The payload's reads stop at the
  // block's end.
  void ReadBlock(const std::function<void(TQLStream&)>& payload);
  // Begin, checksum on, payload, checksum, end.
  void WriteBlock(const std::function<void(TQLStream&)>& payload);
  // Copies the next block, checksum included, to target unread; its frame must fit the region.
  void CopyBlockTo(TQLStream& target);
  // Moves past the next block without reading its payload; its frame must fit the region.
  void PassBlock();

  // Typed reads.
  std::uint8_t ReadByte();
  std::int16_t ReadSmallInt();
  std::uint16_t ReadWord();
  std::int32_t ReadLongInt();
  TColor ReadColor();
  std::string ReadText();
  void ReadLines(TStrings& lines);
  void ReadStamp(std::uint16_t& w, std::uint8_t& b1, std::uint8_t& b2, std::uint8_t& b3, std::uint8_t& b4,
                 std::uint8_t& b5);
  std::uint16_t ReadFormatCode();

  // Typed writes.
  void WriteByte(std::uint8_t value);
  void WriteSmallInt(std::int16_t value);
  void WriteWord(std::uint16_t value);
  void WriteLongInt(std::int32_t value);
  void WriteColor(TColor value);
  void WriteText(const std::string& text);  // used by writers of link texts and information sections
  void WriteLines(const TStrings& lines);
  void WriteStamp(std::uint16_t w, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                  std::uint8_t b5);

  // Bulk operations.
  void Skip(std::int64_t count);
  void CopyFrom(TQLStream& source, std::int64_t count);

 private:
  TQLStream(std::unique_ptr<TStreamStorage> storage, const std::string& fileName);
  void FillBuffer();
  void ReleaseBuffer();
  void Sum(const void* data, std::int64_t count);

  std::unique_ptr<TStreamStorage> storage_;
  std::string fileName_;
  bool summing_ = false;
  std::uint32_t checksum_ = 1;
  std::int64_t blockMark_ = -1;
  bool blockOpen_ = false;  // between ReadBlockStart and ReadBlockEnd
  std::int64_t regionEnd_ = -1;
  std::int64_t position_ = 0;
  std::int64_t size_ = 0;
  std::int64_t physical_ = 0;
  std::vector<std::uint8_t> buffer_;  // the read-ahead buffer; empty when none is held
  std::int64_t bufferCount_ = 0;
  std::int64_t bufferOffset_ = 0;
  std::uint16_t formatCode_ = 0;
};

}  // namespace qrl
