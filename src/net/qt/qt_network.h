#pragma once
// The network layer's platform over Qt: stream transports on QSslSocket
// (plain TCP, or TLS verified against the system's trust store plus an
// optional CA file) and host lookup on QHostInfo, both on the calling
// thread's event loop. Qt's socket errors become the platform socket numbers
// of net/socket_errors.h, so the logic shows its own texts.

#include <QAbstractSocket>
#include <QHostInfo>
#include <QObject>

#include <map>
#include <memory>

#include "net/transport.h"

namespace orvel {

// The platform socket number for a Qt socket error; -1 when there is none.
int PlatformSocketError(QAbstractSocket::SocketError error);
// The platform lookup number for a failed QHostInfo lookup.
int PlatformLookupError(QHostInfo::HostInfoError error);

// Results come to a slot named in the lookup, not to a functor: Qt 6.4 never
// frees a functor whose lookup was aborted or whose context went first.
class QtHostResolver final : public QObject, public HostResolver {
  Q_OBJECT

 public:
  QtHostResolver() = default;
  ~QtHostResolver() override;
  RequestId lookup(const std::string& host, Done done) override;
  void cancel(RequestId id) override;

 private Q_SLOTS:
  void finished(const QHostInfo& info);

 private:
  struct Pending {
    RequestId id;
    Done done;
  };
  std::map<int, Pending> pending_;  // by QHostInfo's lookup id
  RequestId next_ = 1;
};

class QtNetPlatform final : public NetPlatform {
 public:
  std::unique_ptr<Transport> createTransport() override;
  HostResolver& resolver() override { return resolver_; }

 private:
  QtHostResolver resolver_;
};

}  // namespace orvel
