#include "player/TInstanceChannel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace qrl {
namespace {

// A request is one line; anything longer than this is no request of ours.
constexpr qint64 kMaxMacroBytes = 64 * 1024;
constexpr char kReceived = '+';

// The folder exists, is ours, and nobody else may enter it.
bool IsPrivateFolder(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

TInstanceChannel::TInstanceChannel(QString name, QString directory, QObject* parent)
    : QObject(parent), name_(std::move(name)), directory_(directory.isEmpty() ? PrivateDirectory() : directory) {}

TInstanceChannel::~TInstanceChannel() = default;

QString TInstanceChannel::PrivateDirectory() {
  const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
  if (!runtime.isEmpty() && IsPrivateFolder(runtime)) return runtime;
  const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("quireleaf-%1").arg(::getuid()));
  ::mkdir(QFile::encodeName(own).constData(), 0700);
  return IsPrivateFolder(own) ? own : QString();
}

QString TInstanceChannel::NameFor(const QString& executable) {
  const QString file = QFileInfo(executable).fileName();
  return file.left(file.indexOf(QLatin1Char('.')));
}

QString TInstanceChannel::SocketPath() const {
  return directory_.isEmpty() ? QString() : QDir(directory_).filePath(name_);
}

bool TInstanceChannel::Offer(const QString& macro, int timeoutMs) {
  if (SocketPath().isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray request = macro.toUtf8();
  request.append('\n');
  socket.write(request);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  while (socket.bytesAvailable() == 0)
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  char answer = 0;
  return socket.getChar(&answer) && answer == kReceived;
}

bool TInstanceChannel::Listen() {
  if (SocketPath().isEmpty()) return false;
  // Two players starting at once must not both decide that nobody listens.
  QLockFile lock(SocketPath() + QStringLiteral(".lock"));
  if (!lock.lock()) return false;
  {
    QLocalSocket probe;
    probe.connectToServer(SocketPath());
    if (probe.waitForConnected(1000)) return false;
  }
  // Nobody answers: whatever is left at the path belongs to a player that is gone.
  QLocalServer::removeServer(SocketPath());
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_.get(), &QLocalServer::newConnection, this, &TInstanceChannel::Accept);
  if (!server_->listen(SocketPath())) {
    server_.reset();
    return false;
  }
  return true;
}

bool TInstanceChannel::Listening() const { return server_ && server_->isListening(); }

void TInstanceChannel::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    if (socket->bytesAvailable() > 0) Read(socket);
  }
}

void TInstanceChannel::Read(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > kMaxMacroBytes) socket->abort();
    return;
  }
  const QByteArray line = socket->readLine(kMaxMacroBytes).trimmed();
  socket->putChar(kReceived);
  socket->flush();
  socket->disconnectFromServer();
  emit MacroReceived(QString::fromUtf8(line));
}

}  // namespace qrl
