#pragma once
// SIGTERM, SIGINT and SIGHUP (log-out, kill, Ctrl+C in a terminal) turned into a Qt signal, so
// that the player ends through its own closing path: sounds stop and temporary files go.

#include <QObject>

class QSocketNotifier;

namespace qrl {

class TTerminationSignals : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; one object per process. The destructor restores the defaults.
  explicit TTerminationSignals(QObject* parent = nullptr);
  ~TTerminationSignals() override;
  TTerminationSignals(const TTerminationSignals&) = delete;
  TTerminationSignals& operator=(const TTerminationSignals&) = delete;

 signals:
  void Received(int signalNumber);

 private:
  void Drain();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace qrl
