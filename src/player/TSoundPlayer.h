#pragma once
// Playing one WAVE file at a time, asynchronously: a new sound replaces the one playing.
// No audio device means silence, never an error.

#include <QString>
#include <memory>

class QSoundEffect;

namespace qrl {

class TSoundPlayer {
 public:
  virtual ~TSoundPlayer() = default;
  virtual void Play(const QString& waveFile, bool loop) = 0;
  virtual void Stop() = 0;
};

class TQtSoundPlayer : public TSoundPlayer {
 public:
  TQtSoundPlayer();
  ~TQtSoundPlayer() override;
  void Play(const QString& waveFile, bool loop) override;
  void Stop() override;

 private:
  std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace qrl
