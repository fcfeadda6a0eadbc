#include "net/tline_sock.h"

#include "net/socket_errors.h"

namespace orvel {

std::string SocketFailureText(int code, const std::string& detail, const std::string& host) {
  if (code == neterr::kTlsFailure) {
    return "Connexion TLS refusée par " + host + " : " +
           (detail.empty() ? std::string("échec de la négociation") : detail);
  }
  if (!detail.empty()) return SocketErrorText(code) + " (" + detail + ")";
  return SocketErrorText(code);
}

std::string LookupFailureText(int code, const std::string& host) {
  return SocketErrorText(code) + " while looking up " + host;
}

TLineSock::TLineSock(NetPlatform& platform)
    : transport_(platform.createTransport()), resolver_(platform.resolver()) {
  transport_->setHandler(this);
  resolver_.onDone = [this](TDNS&) { lookupDone(); };
}

TLineSock::~TLineSock() {
  resolver_.onDone = nullptr;
  resolver_.Cancel();
  transport_->setHandler(nullptr);
  transport_->abort();
}

void TLineSock::SendLine(std::string_view text) {
  if (!IsConnected()) return;
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  transport_->send(line);
}

void TLineSock::SendBytes(std::string_view bytes) {
  if (IsConnected()) transport_->send(bytes);
}

bool TLineSock::IsConnected() const { return active_ && transport_->isConnected(); }

void TLineSock::StartConnect(const std::string& host, int port, const TlsOptions& tls) {
  Deactivate();
  host_ = host;
  port_ = port;
  tls_ = tls;
  active_ = true;
  resolver_.Lookup(host);
}

void TLineSock::StartTls() {
  if (!IsConnected()) return;
  TlsOptions tls = tls_;
  tls.enabled = true;
  transport_->startTls(tls);
}

void TLineSock::Deactivate() {
  resolver_.Cancel();
  active_ = false;
  transport_->abort();
}

void TLineSock::lookupDone() {
  if (resolver_.errorCode() == 0 && !resolver_.address().empty()) {
    transport_->connectTo(resolver_.address(), port_, tls_);
    return;
  }
  active_ = false;
  lastError_ = resolver_.errorCode();
  // A resolver that found no address and no error still failed.
  if (lastError_ == 0) lastError_ = neterr::kNoData;
  SocketError(lastError_, LookupFailureText(lastError_, resolver_.host()));
}

void TLineSock::onTransportConnected() { SocketConnected(); }

void TLineSock::onTransportTlsReady() { SocketTlsReady(); }

void TLineSock::SocketTlsReady() {}

void TLineSock::onTransportData(std::string_view bytes) { SocketRead(bytes); }

void TLineSock::onTransportClosed() {
  active_ = false;
  SocketDisconnected();
}

void TLineSock::onTransportError(int code, const std::string& detail) {
  active_ = false;
  lastError_ = code;
  SocketError(code, SocketFailureText(code, detail, host_));
}

void TLineSock::SocketDisconnected() {
  if (!RaiseDisconnected()) Close();
}

void TLineSock::SocketError(int code, const std::string& text) {
  if (!RaiseError(code, text)) Close();
}

}  // namespace orvel
