#pragma once
// One player per user: the first player listens on a local socket that only its user can
// reach; a later start hands its request to it as macro text and ends.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace qrl {

class TInstanceChannel : public QObject {
  Q_OBJECT

 public:
  // name: the socket's name, the executable's file name up to its first "."; directory: where the
  // socket lives, empty for the user's private runtime folder.
  explicit TInstanceChannel(QString name, QString directory = {}, QObject* parent = nullptr);
  ~TInstanceChannel() override;

  // The user's runtime folder, or a folder of the user's own under the temporary folder that
  // nobody else may enter; empty when no such folder can be had.
  static QString PrivateDirectory();
  // The executable's file name up to its first ".".
  static QString NameFor(const QString& executable);

  QString SocketPath() const;

  // Hands the macro to a running player; true once that player has confirmed it.
  bool Offer(const QString& macro, int timeoutMs = 5000);
  // Starts listening unless another player does; a socket left by a player that is gone is
  // replaced. False when another player listens or the socket cannot be made.
  bool Listen();
  bool Listening() const;

 signals:
  // A macro from a later start, delivered after its sender has been answered.
  void MacroReceived(const QString& macro);

 private:
  void Accept();
  void Read(QLocalSocket* socket);

  QString name_;
  QString directory_;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace qrl
