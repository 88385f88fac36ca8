#include "player/TSoundPlayer.h"

#include <QSoundEffect>
#include <QUrl>

namespace qrl {

TQtSoundPlayer::TQtSoundPlayer() = default;
TQtSoundPlayer::~TQtSoundPlayer() = default;

void TQtSoundPlayer::Play(const QString& waveFile, bool loop) {
  Stop();
  // A fresh effect per sound: the old one may still be decoding its file.
  effect_ = std::make_unique<QSoundEffect>();
  effect_->setSource(QUrl::fromLocalFile(waveFile));
  effect_->setLoopCount(loop ? QSoundEffect::Infinite : 1);
  effect_->play();
}

void TQtSoundPlayer::Stop() {
  if (effect_) effect_->stop();
  effect_.reset();
}

}  // namespace qrl
