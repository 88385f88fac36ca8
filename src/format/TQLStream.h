#pragma once
// The block stream through which every flyer file is read and written: a file stream with a
// 16368-byte read-ahead buffer, a running Adler-32 checksum, one block mark and the typed
// primitives of the flyer format (little-endian integers, 3-byte colours, coded texts and lines).

#include <cstdint>
#include <string>
#include <vector>

namespace qrl {

using TStrings = std::vector<std::string>;  // Windows-1252 bytes, one entry per line
using TColor = std::uint32_t;               // 0x00BBGGRR: red in the low byte

enum class TOpenMode { fmOpenRead, fmCreate };
enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TQLStream {
 public:
  static constexpr std::int64_t kReadBufferSize = 16368;
  static constexpr std::int64_t kSkipChunk = 65528;
  static constexpr std::int64_t kCopyChunk = 65536;

  // Opens (fmOpenRead) or creates (fmCreate) the file; raises EFileError when that fails.
  TQLStream(const std::string& fileName, TOpenMode mode);
  ~TQLStream();
  TQLStream(const TQLStream&) = delete;
  TQLStream& operator=(const TQLStream&) = delete;

  // Delivers up to count bytes; bytes past the end of the file are zero-filled and not counted
  // in the result (Position still advances over them). Sums all count bytes when summing.
  std::int64_t Read(void* destination, std::int64_t count);
  std::int64_t Write(const void* source, std::int64_t count);
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin);
  // Whole-buffer transfers: raise EFileError when fewer bytes than asked could be moved.
  void ReadBuffer(void* destination, std::int64_t count);
  void WriteBuffer(const void* source, std::int64_t count);

  std::int64_t Position() const { return position_; }
  std::int64_t Size() const { return size_; }
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
  void ReadBlockStart(std::int32_t expectedSize);
  void ReadBlockEnd();
  std::int64_t BlockRemaining() const { return blockMark_ - position_; }

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
  void FillBuffer();
  void ReleaseBuffer();
  void Sum(const void* data, std::int64_t count);

  int fd_ = -1;
  std::string fileName_;
  bool summing_ = false;
  std::uint32_t checksum_ = 1;
  std::int64_t blockMark_ = -1;
  std::int64_t position_ = 0;
  std::int64_t size_ = 0;
  std::int64_t physical_ = 0;
  std::vector<std::uint8_t> buffer_;  // the read-ahead buffer; empty when none is held
  std::int64_t bufferCount_ = 0;
  std::int64_t bufferOffset_ = 0;
  std::uint16_t formatCode_ = 0;
};

}  // namespace qrl
