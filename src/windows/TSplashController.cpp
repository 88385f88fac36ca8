#include "windows/TSplashController.h"

#include "windows/TCustomSplashForm.h"

namespace qrl {

TSplashController::TSplashController(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &TSplashController::TimerFired);
}

TSplashController::~TSplashController() { TakeDown(); }

void TSplashController::ShowSplash(const QString& version, const QString& company, int durationMs) {
  TakeDown();
  mayHide_ = false;
  splash_ = new TCustomSplashForm(version, company, false);
  splash_->setAttribute(Qt::WA_DeleteOnClose);
  splash_->show();
  splash_->repaint();
  if (durationMs >= 1) timer_.start(durationMs);
}

void TSplashController::HideSplash(bool force) {
  if (splash_.isNull()) return;
  mayHide_ = true;
  if (force || !timer_.isActive()) TakeDown();
}

void TSplashController::TimerFired() {
  if (mayHide_) TakeDown();
}

void TSplashController::TakeDown() {
  timer_.stop();
  if (!splash_.isNull()) {
    splash_->hide();
    delete splash_.data();
  }
}

}  // namespace qrl
