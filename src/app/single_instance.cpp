#include "app/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace orvel {

namespace {

constexpr int kTimeoutMs = 2000;

// One line: "url " + URL, or "show".
QByteArray requestLine(const QString& url) {
  return url.isEmpty() ? QByteArray("show\n") : "url " + url.toUtf8() + "\n";
}

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

QString SingleInstance::defaultName() {
  return QStringLiteral("orvel-%1").arg(static_cast<qulonglong>(::getuid()));
}

bool SingleInstance::otherInstanceRunning() const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  return socket.waitForConnected(kTimeoutMs);
}

bool SingleInstance::listen() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // Nobody answered before, so the socket file is a crashed instance's.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return false;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        while (socket->canReadLine()) {
          const QByteArray line = socket->readLine().trimmed();
          if (line.startsWith("url ")) {
            emit urlReceived(QString::fromUtf8(line.mid(4)));
          } else if (line == "show") {
            emit showRequested();
          }
          socket->write("ok\n");
          socket->flush();
        }
      });
    }
  });
  return true;
}

bool SingleInstance::send(const QString& url) const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kTimeoutMs)) return false;
  socket.write(requestLine(url));
  if (!socket.waitForBytesWritten(kTimeoutMs)) return false;
  // The answer tells that the request was read before this process exits.
  return socket.waitForReadyRead(kTimeoutMs) && socket.readLine().startsWith("ok");
}

}  // namespace orvel
