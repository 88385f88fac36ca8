#pragma once
// The sound element: PCM or 4-bit IMA ADPCM data turned into a WAVE file among the flyer's
// temporary files while the flyer loads; its placements say whether to loop. Sounds are not
// page controls: they have no rectangle and are never drawn.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "elements/TCKbControl.h"
#include "elements/TElementContext.h"
#include "format/TQLStream.h"

namespace qrl {

inline constexpr std::uint16_t kPcmCompression = 0;  // any other value: IMA ADPCM

// What the element and its placements share.
class TKobelSound {
 public:
  virtual ~TKobelSound() = default;

  std::string WaveFileName;
  std::string SoundName;  // at most 80 characters; flyers carry none
  bool Loop = false;
  bool Flag1 = false;
  bool Flag2 = false;
};

class TCKbOccSound;

class TCKbSound : public TKobelSound {
 public:
  explicit TCKbSound(TElementContext& context) : context_(context) {}
  ~TCKbSound() override;
  TCKbSound(const TCKbSound&) = delete;
  TCKbSound& operator=(const TCKbSound&) = delete;

  // The payload header as stored.
  std::uint16_t Compression = kPcmCompression;
  std::uint16_t Channels = 0;
  std::uint32_t SampleRate = 0;
  std::uint16_t BitsPerSample = 0;
  std::int64_t DataSize = 0;  // payload bytes
  std::int64_t WaveSize = 0;  // bytes of the WAVE file written

  int Kind() const { return kindSound; }
  // Reads the payload (the rest of the block) and writes it as a WAVE file (ADPCM converted to
  // 16-bit PCM) to a new temporary file of the flyer, named in WaveFileName.
  void LoadWave(TQLStream& stream, std::int64_t headerEnd);
  // Creates a placement copying the shared fields, appends it and returns it; its payload is
  // read next with TCKbOccSound::Load.
  TCKbOccSound& NewOccurrence();
  const std::vector<std::unique_ptr<TCKbOccSound>>& Occurrences() const { return occurrences_; }
  // Occurrence by its 1-based number; nullptr when there is none.
  TCKbOccSound* Occurrence(int number) const;

 private:
  void WriteWave(TQLStream& stream, const std::string& fileName);

  TElementContext& context_;
  std::vector<std::unique_ptr<TCKbOccSound>> occurrences_;
};

class TCKbOccSound : public TKobelSound {
 public:
  explicit TCKbOccSound(TCKbSound& owner);

  std::uint32_t Value = 0;  // stored, without effect

  // The occurrence payload: flags (bit 0 Loop, bit 1 Flag1, bit 2 Flag2) and Value.
  void Load(TQLStream& stream);

  TCKbSound& Owner() const { return owner_; }

 private:
  TCKbSound& owner_;
};

}  // namespace qrl
