#include "windows/TSplashController.h"

#include <QApplication>
#include <QDialog>

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
  qApp->installEventFilter(this);
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

bool TSplashController::eventFilter(QObject* watched, QEvent* event) {
  if (splash_.isNull()) return false;
  const auto* widget = qobject_cast<QWidget*>(watched);
  const bool onSplash = widget != nullptr && (widget == splash_ || splash_->isAncestorOf(widget));
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      // The splash receives this very event: it is freed once the event is done with.
      if (onSplash) {
        QWidget* splash = splash_.data();
        splash_.clear();
        splash->hide();
        splash->deleteLater();
        TakeDown();
      }
      return onSplash;
    case QEvent::KeyPress:
      TakeDown();
      return false;
    case QEvent::Show:
      if (widget != nullptr && widget->isWindow() && !onSplash && qobject_cast<const QDialog*>(widget)) TakeDown();
      return false;
    default:
      return false;
  }
}

void TSplashController::TakeDown() {
  qApp->removeEventFilter(this);
  timer_.stop();
  if (!splash_.isNull()) {
    splash_->hide();
    delete splash_.data();
  }
  splash_.clear();
}

}  // namespace qrl
