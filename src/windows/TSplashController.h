#pragma once
// The one splash window shown at start-up and while a flyer loads. It stays up for at least its
// duration and until the program has called HideSplash; the user puts it away at once with a
// click on it or any key, and it goes by itself when a dialog opens, which it must never cover.

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace qrl {

class TCustomSplashForm;

class TSplashController : public QObject {
  Q_OBJECT

 public:
  explicit TSplashController(QObject* parent = nullptr);
  ~TSplashController() override;

  // Takes any splash down, then shows a new one; durationMs >= 1 starts its hide timer.
  void ShowSplash(const QString& version, const QString& company, int durationMs);
  // Marks the splash as dismissed; it goes now when forced or when its time is over.
  void HideSplash(bool force);

  bool IsUp() const { return !splash_.isNull(); }
  bool MayHide() const { return mayHide_; }
  bool TimerRunning() const { return timer_.isActive(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TakeDown();
  void TimerFired();

  QPointer<TCustomSplashForm> splash_;
  QTimer timer_;
  bool mayHide_ = false;
};

}  // namespace qrl
