#pragma once
// Where a TQLStream's bytes live: a file (the player's flyers) or memory (the fuzzers, the tests
// and anything that already holds a flyer's bytes). Both report failures alike: a read or write
// that the storage cannot carry out raises EFileError; only the end of the data reads short.

#include <cstdint>
#include <string>
#include <vector>

namespace qrl {

class TStreamStorage {
 public:
  virtual ~TStreamStorage() = default;
  virtual std::int64_t Size() const = 0;
  // Reads up to count bytes at offset and returns how many there were: fewer only at the end.
  virtual std::int64_t ReadAt(void* destination, std::int64_t count, std::int64_t offset) = 0;
  // Writes all count bytes at offset, growing the data when they end beyond it.
  virtual void WriteAt(const void* source, std::int64_t count, std::int64_t offset) = 0;
};

enum class TOpenMode { fmOpenRead, fmCreate };

class TFileStorage final : public TStreamStorage {
 public:
  // Opens (fmOpenRead) or creates (fmCreate) the file; raises EFileError when that fails.
  TFileStorage(const std::string& fileName, TOpenMode mode);
  ~TFileStorage() override;
  TFileStorage(const TFileStorage&) = delete;
  TFileStorage& operator=(const TFileStorage&) = delete;

  std::int64_t Size() const override { return size_; }
  std::int64_t ReadAt(void* destination, std::int64_t count, std::int64_t offset) override;
  void WriteAt(const void* source, std::int64_t count, std::int64_t offset) override;

 private:
  int fd_ = -1;
  std::string fileName_;
  std::int64_t size_ = 0;
};

class TMemoryStorage final : public TStreamStorage {
 public:
  explicit TMemoryStorage(std::vector<std::uint8_t> bytes = {}) : bytes_(std::move(bytes)) {}

  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  std::int64_t ReadAt(void* destination, std::int64_t count, std::int64_t offset) override;
  void WriteAt(const void* source, std::int64_t count, std::int64_t offset) override;
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace qrl
