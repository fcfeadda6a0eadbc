#include "net/qt/qt_network.h"

#include <QFile>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#if defined(__linux__)
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#include "net/socket_errors.h"

namespace orvel {

int PlatformSocketError(QAbstractSocket::SocketError error) {
  using E = QAbstractSocket::SocketError;
  switch (error) {
    case E::ConnectionRefusedError: return neterr::kConnectionRefused;
    case E::RemoteHostClosedError: return neterr::kConnectionReset;
    case E::HostNotFoundError: return neterr::kHostNotFound;
    case E::SocketAccessError: return neterr::kAccessDenied;
    case E::SocketResourceError: return neterr::kNoBufferSpace;
    case E::SocketTimeoutError: return neterr::kTimedOut;
    case E::DatagramTooLargeError: return neterr::kMessageTooLong;
    case E::NetworkError: return neterr::kNetworkUnreachable;
    case E::AddressInUseError: return neterr::kAddressInUse;
    case E::SocketAddressNotAvailableError: return neterr::kAddressNotAvailable;
    case E::UnsupportedSocketOperationError: return neterr::kNotSupported;
    case E::ProxyAuthenticationRequiredError:
    case E::ProxyConnectionRefusedError:
    case E::ProxyConnectionClosedError:
    case E::ProxyConnectionTimeoutError:
    case E::ProxyNotFoundError:
    case E::ProxyProtocolError: return neterr::kConnectionAborted;
    case E::SslHandshakeFailedError:
    case E::SslInternalError:
    case E::SslInvalidUserDataError: return neterr::kTlsFailure;
    case E::TemporaryError: return neterr::kWouldBlock;
    case E::OperationError: return neterr::kInvalidArgument;
    case E::UnfinishedSocketOperationError: return neterr::kWouldBlock;
    case E::UnknownSocketError: return -1;
  }
  return -1;
}

int PlatformLookupError(QHostInfo::HostInfoError error) {
  switch (error) {
    case QHostInfo::NoError: return 0;
    case QHostInfo::HostNotFound: return neterr::kHostNotFound;
    case QHostInfo::UnknownError: return neterr::kTryAgain;
  }
  return neterr::kNoRecovery;
}

namespace {

constexpr qint64 kReadBufferBytes = 256 << 10;

// How a Qt socket stream meets the transport contract: events stop after
// the first error or close, and the owner may abort or reconnect the
// transport inside any event (a socket it replaces is deleted later by the
// event loop).
class QtTransport final : public Transport {
 public:
  QtTransport() : context_(std::make_unique<QObject>()) {}

  ~QtTransport() override {
    dropSocket();
    context_.reset();  // no more signals reach this
  }

  void setHandler(TransportHandler* handler) override { handler_ = handler; }

  void connectTo(const std::string& address, int port, const TlsOptions& tls) override {
    abort();
    ended_ = false;
    tls_ = tls.enabled;
    upgrading_ = false;
    sslReasons_.clear();
    useSocket(tls.enabled || tls.mayStartTls);
    const QString qaddress = QString::fromStdString(address);
    const auto qport = static_cast<quint16>(port);
    if (!tls_) {
      socket_->connectToHost(qaddress, qport);
      return;
    }
    if (!configureTls(tls)) return;
    sslSocket()->connectToHostEncrypted(qaddress, qport, QString::fromStdString(tls.peerName));
  }

  void startTls(const TlsOptions& tls) override {
    if (!connected_ || tls_) return;
    tls_ = true;
    upgrading_ = true;
    sslReasons_.clear();
    if (!sslSocket()) {
      failLater("STARTTLS sur une connexion ouverte sans TLS possible");
      return;
    }
    if (!configureTls(tls)) return;
    sslSocket()->setPeerVerifyName(QString::fromStdString(tls.peerName));
    sslSocket()->startClientEncryption();
  }

  void send(std::string_view bytes) override {
    if (!connected_) return;
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  void abort() override {
    ended_ = true;
    connected_ = false;
    ++generation_;
    if (socket_) socket_->abort();
  }

  bool isConnected() const override { return connected_; }

 private:
  // A QSslSocket only when the connection may need TLS: creating one loads
  // the TLS library, which costs a plain connection 7 MB and 11 ms.
  void useSocket(bool secure) {
    if (socket_ && (sslSocket() != nullptr) == secure) return;
    dropSocket();
    socket_ = secure ? new QSslSocket : new QTcpSocket;
    // Bytes wait in the system's socket buffer, not in ours, while the
    // reader is behind: a server faster than the parsing would otherwise
    // grow the read buffer to megabytes (TCP's flow control slows it down).
    socket_->setReadBufferSize(kReadBufferBytes);
    QObject* ctx = context_.get();
    QObject::connect(socket_, &QAbstractSocket::connected, ctx, [this] {
      socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
      if (!tls_) opened();
    });
    QObject::connect(socket_, &QIODevice::readyRead, ctx, [this] { readAll(); });
    QObject::connect(socket_, &QAbstractSocket::errorOccurred, ctx,
                     [this](QAbstractSocket::SocketError error) { failed(error); });
    QObject::connect(socket_, &QAbstractSocket::disconnected, ctx, [this] { closedByPeer(); });
    if (QSslSocket* ssl = sslSocket()) {
      QObject::connect(ssl, &QSslSocket::encrypted, ctx, [this] {
        if (upgrading_) {
          tlsReady();
        } else {
          opened();
        }
      });
      QObject::connect(ssl, &QSslSocket::sslErrors, ctx, [this](const QList<QSslError>& errors) {
        QStringList reasons;
        for (const QSslError& e : errors) reasons << e.errorString();
        sslReasons_ = reasons.join("; ");
      });
    }
  }

  // The socket may be the one whose signal is being handled: it is deleted
  // by the event loop, and sends this nothing more.
  void dropSocket() {
    if (!socket_) return;
    QObject::disconnect(socket_, nullptr, context_.get(), nullptr);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
  }

  QSslSocket* sslSocket() const { return qobject_cast<QSslSocket*>(socket_); }

  void opened() {
    if (ended_) return;
    connected_ = true;
    if (handler_) handler_->onTransportConnected();
  }

  // Peer verification against the system store plus the CA file. False when
  // the file gives no certificate: the failure is then reported later.
  bool configureTls(const TlsOptions& tls) {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!tls.caFile.empty()) {
      const QString path = QString::fromStdString(tls.caFile);
      const auto certificates = QSslCertificate::fromPath(path, QSsl::Pem);
      if (certificates.isEmpty()) {
        failLater("aucun certificat lisible dans " + tls.caFile);
        return false;
      }
      config.addCaCertificates(certificates);
    }
    sslSocket()->setSslConfiguration(config);
    return true;
  }

  void tlsReady() {
    if (ended_) return;
    upgrading_ = false;
    if (handler_) handler_->onTransportTlsReady();
  }

  void readAll() {
    if (ended_) return;
    acknowledgeNow();
    const QByteArray data = socket_->readAll();
    if (!data.isEmpty() && handler_) {
      handler_->onTransportData(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    }
  }

  // A server answers a command in several writes (INN: the status line,
  // then the list), and with Nagle's algorithm it holds each one back until
  // the last is acknowledged. Once the connection has gone back and forth,
  // Linux delays that acknowledgement by 40 ms, so every multi-line reply
  // would wait 40 ms; quick-ack mode sends it at once. The mode lapses when
  // the client writes, so it is asked for again on each read.
  void acknowledgeNow() {
#if defined(__linux__) && defined(TCP_QUICKACK)
    const int one = 1;
    ::setsockopt(static_cast<int>(socket_->socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &one,
                 sizeof one);
#endif
  }

  void failed(QAbstractSocket::SocketError error) {
    if (ended_) return;
    // The peer closing a working stream is a close, not a failure.
    if (error == QAbstractSocket::RemoteHostClosedError && connected_) {
      closedByPeer();
      return;
    }
    const int code = PlatformSocketError(error);
    std::string detail;
    if (code == neterr::kTlsFailure) {
      detail = (sslReasons_.isEmpty() ? socket_->errorString() : sslReasons_).toStdString();
    }
    end();
    if (handler_) handler_->onTransportError(code, detail);
  }

  void closedByPeer() {
    if (ended_) return;
    // Data that came with the close is delivered first; its handler may end
    // this transport.
    if (socket_->bytesAvailable() > 0) {
      const auto generation = generation_;
      readAll();
      if (generation != generation_ || ended_) return;
    }
    end();
    if (handler_) handler_->onTransportClosed();
  }

  // A failure found before the socket was asked anything: reported from the
  // event loop, as every other event.
  void failLater(const std::string& detail) {
    ended_ = false;
    const auto generation = ++generation_;
    QTimer::singleShot(0, context_.get(), [this, generation, detail] {
      if (generation != generation_) return;
      end();
      if (handler_) handler_->onTransportError(neterr::kTlsFailure, detail);
    });
  }

  void end() {
    ended_ = true;
    connected_ = false;
    ++generation_;
    if (socket_) socket_->abort();
  }

  std::unique_ptr<QObject> context_;
  QTcpSocket* socket_ = nullptr;
  TransportHandler* handler_ = nullptr;
  QString sslReasons_;
  std::uint64_t generation_ = 0;
  bool tls_ = false;
  bool upgrading_ = false;  // startTls() handshake under way
  bool connected_ = false;
  bool ended_ = true;
};

}  // namespace

QtHostResolver::~QtHostResolver() {
  for (const auto& [qtId, pending] : pending_) QHostInfo::abortHostLookup(qtId);
}

HostResolver::RequestId QtHostResolver::lookup(const std::string& host, Done done) {
  const RequestId id = next_++;
  const int qtId = QHostInfo::lookupHost(QString::fromStdString(host), this, SLOT(finished(QHostInfo)));
  pending_[qtId] = Pending{id, std::move(done)};
  return id;
}

void QtHostResolver::cancel(RequestId id) {
  const auto it = std::find_if(pending_.begin(), pending_.end(),
                               [id](const auto& entry) { return entry.second.id == id; });
  if (it == pending_.end()) return;
  QHostInfo::abortHostLookup(it->first);
  pending_.erase(it);
}

void QtHostResolver::finished(const QHostInfo& info) {
  const auto it = pending_.find(info.lookupId());
  if (it == pending_.end()) return;  // cancelled
  const Done done = std::move(it->second.done);
  pending_.erase(it);
  int error = PlatformLookupError(info.error());
  std::string address;
  if (error == 0) {
    const auto addresses = info.addresses();
    // The first IPv4 address, like the platform's classic lookup; else the
    // first address of any kind.
    for (const QHostAddress& a : addresses) {
      if (a.protocol() == QAbstractSocket::IPv4Protocol) {
        address = a.toString().toStdString();
        break;
      }
    }
    if (address.empty() && !addresses.isEmpty()) address = addresses.first().toString().toStdString();
    if (address.empty()) error = neterr::kNoData;
  }
  done(error, address);
}

std::unique_ptr<Transport> QtNetPlatform::createTransport() {
  return std::make_unique<QtTransport>();
}

}  // namespace orvel
