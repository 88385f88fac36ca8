#include "format/TQLStream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "format/QuireleafException.h"

namespace qrl {

TQLStream::TQLStream(std::unique_ptr<TStreamStorage> storage, const std::string& fileName)
    : storage_(std::move(storage)), fileName_(fileName), size_(storage_->Size()) {}

TQLStream::TQLStream(const std::string& fileName, TOpenMode mode)
    : TQLStream(std::make_unique<TFileStorage>(fileName, mode), fileName) {}

TQLStream::TQLStream(std::vector<std::uint8_t> bytes, const std::string& fileName)
    : TQLStream(std::make_unique<TMemoryStorage>(std::move(bytes)), fileName) {}

TQLStream::~TQLStream() = default;

const std::vector<std::uint8_t>* TQLStream::MemoryBytes() const {
  const auto* memory = dynamic_cast<const TMemoryStorage*>(storage_.get());
  return memory ? &memory->Bytes() : nullptr;
}

void TQLStream::Sum(const void* data, std::int64_t count) {
  const auto* p = static_cast<const Bytef*>(data);
  while (count > 0) {
    const auto n = static_cast<uInt>(std::min<std::int64_t>(count, 1 << 30));
    checksum_ = static_cast<std::uint32_t>(adler32(checksum_, p, n));
    p += n;
    count -= n;
  }
}

void TQLStream::ReleaseBuffer() {
  buffer_.clear();
  bufferCount_ = 0;
  bufferOffset_ = 0;
}

void TQLStream::FillBuffer() {
  const std::int64_t length = std::clamp<std::int64_t>(RegionEnd() - position_, 0, kReadBufferSize);
  buffer_.resize(static_cast<std::size_t>(kReadBufferSize));
  const std::int64_t got = storage_->ReadAt(buffer_.data(), length, physical_);
  physical_ += got;
  bufferCount_ = got;
  bufferOffset_ = 0;
}

std::int64_t TQLStream::Read(void* destination, std::int64_t count) {
  if (count <= 0) return 0;
  if (blockOpen_ && count > blockMark_ - position_) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  auto* dest = static_cast<std::uint8_t*>(destination);
  std::int64_t delivered = 0;
  if (!buffer_.empty()) {
    const std::int64_t t = std::min(count, bufferCount_ - bufferOffset_);
    std::memcpy(dest, buffer_.data() + bufferOffset_, static_cast<std::size_t>(t));
    bufferOffset_ += t;
    position_ += t;
    delivered = t;
    if (bufferOffset_ == bufferCount_) ReleaseBuffer();
  }
  if (delivered < count) {
    const std::int64_t rest = count - delivered;
    if (rest <= kReadBufferSize) {
      FillBuffer();
      const std::int64_t n = std::min(rest, bufferCount_);
      std::memcpy(dest + delivered, buffer_.data(), static_cast<std::size_t>(n));
      bufferOffset_ = n;
      position_ += n;
      delivered += n;
      if (bufferOffset_ == bufferCount_) ReleaseBuffer();
    } else {
      const std::int64_t available = std::clamp<std::int64_t>(RegionEnd() - position_, 0, rest);
      const std::int64_t got = storage_->ReadAt(dest + delivered, available, position_);
      position_ += got;
      physical_ = position_;
      delivered += got;
    }
  }
  if (delivered < count) {
    // Past the end of the data: the block checks and the checksum reject what follows.
    std::memset(dest + delivered, 0, static_cast<std::size_t>(count - delivered));
    position_ += count - delivered;
  }
  if (summing_) Sum(dest, count);
  return delivered;
}

std::int64_t TQLStream::Write(const void* source, std::int64_t count) {
  if (count <= 0) return 0;
  storage_->WriteAt(source, count, position_);
  if (summing_) Sum(source, count);
  position_ += count;
  physical_ = position_;
  size_ = std::max(size_, position_);
  return count;
}

std::int64_t TQLStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == TSeekOrigin::soCurrent) target = position_ + offset;
  if (origin == TSeekOrigin::soEnd) target = size_ + offset;
  if (target < 0) target = 0;
  if (buffer_.empty()) {
    position_ = target;
    physical_ = target;
    return position_;
  }
  // A target inside the read-ahead buffer keeps it, and the file is left where it was.
  bufferOffset_ += target - position_;
  position_ = target;
  if (bufferOffset_ < 0 || bufferOffset_ >= bufferCount_) {
    ReleaseBuffer();
    physical_ = target;
  }
  return position_;
}

void TQLStream::ReadBuffer(void* destination, std::int64_t count) {
  if (Read(destination, count) != count) throw EFileError("Stream read error in \"" + fileName_ + "\"");
}

void TQLStream::WriteBuffer(const void* source, std::int64_t count) { Write(source, count); }

void TQLStream::ChecksumOn() {
  summing_ = true;
  checksum_ = 1;
}

void TQLStream::WriteChecksum() {
  summing_ = false;
  const std::uint32_t value = checksum_;
  WriteLongInt(static_cast<std::int32_t>(value));
}

bool TQLStream::CheckChecksum() {
  summing_ = false;
  const std::uint32_t expected = checksum_;
  const auto stored = static_cast<std::uint32_t>(ReadLongInt());
  if (stored != expected) throw EQuireleafDebugger(ecChecksumFailed);
  return true;
}

void TQLStream::BeginBlock() {
  if (summing_) throw EQuireleafDebugger(ecChecksumShouldBeOffBegin);
  blockMark_ = position_;
  WriteLongInt(0);
}

void TQLStream::EndBlock() {
  if (summing_) throw EQuireleafDebugger(ecChecksumShouldBeOffEnd);
  if (blockMark_ < 0) return;
  const std::int64_t end = position_;
  Seek(blockMark_, TSeekOrigin::soBeginning);
  WriteLongInt(static_cast<std::int32_t>(end - blockMark_ - 8));
  Seek(end, TSeekOrigin::soBeginning);
}

void TQLStream::ReadBlockStart(std::int32_t expectedSize) {
  const std::int32_t n = ReadLongInt();
  if (expectedSize > 0 && n != expectedSize) throw EQuireleafDebugger(ecInvalidBlockSize);
  if (n < 0 || position_ + n + 4 > RegionEnd()) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  blockMark_ = position_ + n;
  blockOpen_ = true;
}

void TQLStream::ReadBlockEnd() {
  if (blockMark_ < 0) return;
  if (position_ > blockMark_) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  if (position_ < blockMark_) Skip(blockMark_ - position_);
  blockOpen_ = false;
}

void TQLStream::ReadBlock(const std::function<void(TQLStream&)>& payload) {
  ReadBlockStart(0);
  ChecksumOn();
  payload(*this);
  ReadBlockEnd();
  CheckChecksum();
}

void TQLStream::WriteBlock(const std::function<void(TQLStream&)>& payload) {
  BeginBlock();
  ChecksumOn();
  payload(*this);
  WriteChecksum();
  EndBlock();
}

void TQLStream::CopyBlockTo(TQLStream& target) {
  ReadBlockStart(0);
  blockOpen_ = false;  // payload and checksum travel as they are
  const std::int64_t length = BlockRemaining();
  target.WriteLongInt(static_cast<std::int32_t>(length));
  target.CopyFrom(*this, length + 4);
}

void TQLStream::PassBlock() {
  ReadBlockStart(0);
  blockOpen_ = false;
  Seek(blockMark_ + 4, TSeekOrigin::soBeginning);
}

std::uint8_t TQLStream::ReadByte() {
  std::uint8_t b = 0;
  Read(&b, 1);
  return b;
}

std::int16_t TQLStream::ReadSmallInt() { return static_cast<std::int16_t>(ReadWord()); }

std::uint16_t TQLStream::ReadWord() {
  std::uint8_t b[2] = {};
  Read(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int32_t TQLStream::ReadLongInt() {
  std::uint8_t b[4] = {};
  Read(b, 4);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                   (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
}

TColor TQLStream::ReadColor() {
  std::uint8_t b[3] = {};
  Read(b, 3);
  return static_cast<TColor>(b[0]) | (static_cast<TColor>(b[1]) << 8) | (static_cast<TColor>(b[2]) << 16);
}

std::string TQLStream::ReadText() {
  std::string text;
  for (;;) {
    const auto c = static_cast<std::uint8_t>(ReadByte() ^ 0xFF);
    if (c == 0) break;
    if (c == '\n') text.push_back('\r');
    text.push_back(static_cast<char>(c));
    // Outside a block, stop at the end of the data instead of reading zeros forever.
    if (position_ > RegionEnd()) break;
  }
  return text;
}

void TQLStream::ReadLines(TStrings& lines) {
  lines.clear();
  std::string line;
  for (;;) {
    const auto c = static_cast<std::uint8_t>(ReadByte() ^ 0xFF);
    if (c == 0 || position_ > RegionEnd()) break;
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(static_cast<char>(c));
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
}

void TQLStream::ReadStamp(std::uint16_t& w, std::uint8_t& b1, std::uint8_t& b2, std::uint8_t& b3, std::uint8_t& b4,
                          std::uint8_t& b5) {
  w = ReadWord();
  b1 = ReadByte();
  b2 = ReadByte();
  b3 = ReadByte();
  b4 = ReadByte();
  b5 = ReadByte();
}

std::uint16_t TQLStream::ReadFormatCode() {
  formatCode_ = ReadWord();
  return formatCode_;
}

void TQLStream::WriteByte(std::uint8_t value) { Write(&value, 1); }

void TQLStream::WriteSmallInt(std::int16_t value) { WriteWord(static_cast<std::uint16_t>(value)); }

void TQLStream::WriteWord(std::uint16_t value) {
  const std::uint8_t b[2] = {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
  Write(b, 2);
}

void TQLStream::WriteLongInt(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  Write(b, 4);
}

void TQLStream::WriteColor(TColor value) {
  const std::uint8_t b[3] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value >> 16)};
  Write(b, 3);
}

void TQLStream::WriteText(const std::string& text) {
  std::string coded;
  coded.reserve(text.size() + 1);
  for (const char c : text) coded.push_back(static_cast<char>(static_cast<std::uint8_t>(c) ^ 0xFF));
  coded.push_back(static_cast<char>(0xFF));
  Write(coded.data(), static_cast<std::int64_t>(coded.size()));
}

void TQLStream::WriteLines(const TStrings& lines) {
  std::string coded;
  for (const auto& line : lines) {
    for (const char c : line)
      if (c != '\r') coded.push_back(static_cast<char>(static_cast<std::uint8_t>(c) ^ 0xFF));
    coded.push_back(static_cast<char>(0xF5));
  }
  coded.push_back(static_cast<char>(0xFF));
  Write(coded.data(), static_cast<std::int64_t>(coded.size()));
}

void TQLStream::WriteStamp(std::uint16_t w, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                           std::uint8_t b5) {
  WriteWord(w);
  for (const std::uint8_t b : {b1, b2, b3, b4, b5}) WriteByte(b);
}

void TQLStream::Skip(std::int64_t count) {
  if (count <= 0) return;
  std::vector<std::uint8_t> scratch(static_cast<std::size_t>(std::min(count, kSkipChunk)));
  while (count > 0) {
    const std::int64_t chunk = std::min(count, kSkipChunk);
    Read(scratch.data(), chunk);
    count -= chunk;
  }
}

void TQLStream::CopyFrom(TQLStream& source, std::int64_t count) {
  if (count <= 0) return;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(count, kCopyChunk)));
  while (count > 0) {
    const std::int64_t chunk = std::min<std::int64_t>(count, static_cast<std::int64_t>(buffer.size()));
    source.ReadBuffer(buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    count -= chunk;
  }
}

}  // namespace qrl
