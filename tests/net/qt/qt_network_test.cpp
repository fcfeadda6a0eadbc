// The Qt transport and host lookup on loopback: error numbers, close and
// refusal, and a whole NNTP login against small in-process servers that
// misbehave the way real ones do (one byte at a time, a reset mid-greeting).

#include "net/qt/qt_network.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "net/qt/qt_clock.h"
#include "net/socket_errors.h"
#include "net/tnntp.h"
#include "support/qt_event_loop.h"

namespace orvel::test {
namespace {

TEST(QtErrors, MapOntoPlatformNumbers) {
  using E = QAbstractSocket::SocketError;
  const std::pair<E, int> rows[] = {
      {E::ConnectionRefusedError, 10061}, {E::RemoteHostClosedError, 10054},
      {E::HostNotFoundError, 11001},      {E::SocketTimeoutError, 10060},
      {E::NetworkError, 10051},           {E::SocketAccessError, 10013},
      {E::SslHandshakeFailedError, 12000}, {E::UnknownSocketError, -1},
  };
  for (const auto& [error, code] : rows) EXPECT_EQ(PlatformSocketError(error), code) << error;
  EXPECT_EQ(PlatformLookupError(QHostInfo::HostNotFound), 11001);
  EXPECT_EQ(SocketErrorText(PlatformSocketError(E::UnknownSocketError)), "Err. inconnue");
}

struct Recorder : TransportHandler {
  std::vector<std::string> events;
  std::string data;
  void onTransportConnected() override { events.push_back("connected"); }
  void onTransportTlsReady() override { events.push_back("tls"); }
  void onTransportData(std::string_view bytes) override { data.append(bytes); }
  void onTransportClosed() override { events.push_back("closed"); }
  void onTransportError(int code, const std::string& detail) override {
    events.push_back("error " + std::to_string(code) + (detail.empty() ? "" : " " + detail));
  }
};

// A loopback server whose accepted sockets the test scripts.
struct LoopbackServer {
  QTcpServer server;
  QTcpSocket* peer = nullptr;
  LoopbackServer() {
    qtApp();
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [this] { peer = server.nextPendingConnection(); });
  }
  int port() const { return server.serverPort(); }
};

TEST(QtTransport, ConnectsSendsReceivesAndSeesThePeerClose) {
  LoopbackServer server;
  QtNetPlatform platform;
  auto transport = platform.createTransport();
  Recorder r;
  transport->setHandler(&r);
  transport->connectTo("127.0.0.1", server.port(), {});
  ASSERT_TRUE(runUntil([&] { return transport->isConnected() && server.peer; }));
  transport->send("HELLO\r\n");
  ASSERT_TRUE(runUntil([&] { return server.peer->bytesAvailable() >= 7; }));
  EXPECT_EQ(server.peer->readAll().toStdString(), "HELLO\r\n");
  server.peer->write("200 hi\r\n");
  server.peer->disconnectFromHost();
  ASSERT_TRUE(runUntil([&] { return r.events.size() >= 2; }));
  runFor(50);
  EXPECT_EQ(r.events, (std::vector<std::string>{"connected", "closed"}));
  EXPECT_EQ(r.data, "200 hi\r\n");
  EXPECT_FALSE(transport->isConnected());
}

TEST(QtTransport, RefusedConnectIs10061) {
  int port;
  {
    QTcpServer probe;
    qtApp();
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    port = probe.serverPort();
  }
  QtNetPlatform platform;
  auto transport = platform.createTransport();
  Recorder r;
  transport->setHandler(&r);
  transport->connectTo("127.0.0.1", port, {});
  ASSERT_TRUE(runUntil([&] { return !r.events.empty(); }));
  runFor(50);
  EXPECT_EQ(r.events, std::vector<std::string>{"error 10061"});
}

TEST(QtTransport, UnreadableCaFileIsATlsFailure) {
  LoopbackServer server;
  QtNetPlatform platform;
  auto transport = platform.createTransport();
  Recorder r;
  transport->setHandler(&r);
  transport->connectTo("127.0.0.1", server.port(), {true, "localhost", "/nonexistent/ca.pem"});
  ASSERT_TRUE(runUntil([&] { return !r.events.empty(); }));
  EXPECT_EQ(r.events,
            std::vector<std::string>{"error 12000 aucun certificat lisible dans /nonexistent/ca.pem"});
}

// STARTTLS on a stream whose peer answers the handshake with plain text,
// and with a CA file that holds nothing: both are TLS failures, and no
// "tls" event comes.
TEST(QtTransport, StartTlsFailuresAreTlsErrors) {
  for (const std::string& caFile : {std::string(), std::string("/nonexistent/ca.pem")}) {
    LoopbackServer server;
    QtNetPlatform platform;
    auto transport = platform.createTransport();
    Recorder r;
    transport->setHandler(&r);
    TlsOptions upgradable;
    upgradable.mayStartTls = true;
    transport->connectTo("127.0.0.1", server.port(), upgradable);
    ASSERT_TRUE(runUntil([&] { return transport->isConnected() && server.peer; }));
    transport->startTls({true, "localhost", caFile});
    if (caFile.empty()) {
      ASSERT_TRUE(runUntil([&] { return server.peer->bytesAvailable() > 0; }));  // ClientHello
      server.peer->write("220 this is no TLS record\r\n");
    }
    ASSERT_TRUE(runUntil([&] { return r.events.size() >= 2; }));
    runFor(50);
    ASSERT_EQ(r.events.size(), 2u) << caFile;
    EXPECT_EQ(r.events[0], "connected");
    EXPECT_EQ(r.events[1].rfind("error 12000", 0), 0u) << r.events[1];
    if (!caFile.empty()) {
      EXPECT_EQ(r.events[1], "error 12000 aucun certificat lisible dans " + caFile);
    }
    EXPECT_FALSE(transport->isConnected());
  }
}

// A plain connection not opened for STARTTLS has no TLS socket to upgrade
// (it never loads the TLS library): the upgrade is a TLS failure. Opened
// again on the same transport for STARTTLS, it sends a ClientHello.
TEST(QtTransport, StartTlsNeedsAConnectionOpenedForIt) {
  QtNetPlatform platform;
  auto transport = platform.createTransport();
  Recorder r;
  transport->setHandler(&r);
  {
    LoopbackServer server;
    transport->connectTo("127.0.0.1", server.port(), {});
    ASSERT_TRUE(runUntil([&] { return transport->isConnected() && server.peer; }));
    transport->startTls({true, "localhost", ""});
    ASSERT_TRUE(runUntil([&] { return r.events.size() >= 2; }));
    EXPECT_EQ(r.events, (std::vector<std::string>{
                            "connected", "error 12000 STARTTLS sur une connexion ouverte sans TLS possible"}));
    EXPECT_FALSE(transport->isConnected());
  }
  r.events.clear();
  LoopbackServer server;
  TlsOptions upgradable;
  upgradable.mayStartTls = true;
  transport->connectTo("127.0.0.1", server.port(), upgradable);
  ASSERT_TRUE(runUntil([&] { return transport->isConnected() && server.peer; }));
  transport->startTls({true, "localhost", ""});
  ASSERT_TRUE(runUntil([&] { return server.peer->bytesAvailable() > 0; }));
  EXPECT_EQ(server.peer->read(1).toStdString(), "\x16");  // a TLS handshake record
  EXPECT_EQ(r.events, std::vector<std::string>{"connected"});
}

TEST(QtTransport, AbortedInsideItsOwnEventSendsNothingMore) {
  LoopbackServer server;
  QtNetPlatform platform;
  std::unique_ptr<Transport> transport = platform.createTransport();
  struct Ender : TransportHandler {
    Transport* transport = nullptr;
    int calls = 0;
    void onTransportConnected() override {}
    void onTransportTlsReady() override { ++calls; }
    void onTransportData(std::string_view) override {
      ++calls;
      transport->abort();
    }
    void onTransportClosed() override { ++calls; }
    void onTransportError(int, const std::string&) override { ++calls; }
  } e;
  e.transport = transport.get();
  transport->setHandler(&e);
  transport->connectTo("127.0.0.1", server.port(), {});
  ASSERT_TRUE(runUntil([&] { return server.peer != nullptr; }));
  // The data and the close arrive together: the close is not reported
  // after the handler ended the stream on the data.
  server.peer->write("x");
  server.peer->disconnectFromHost();
  ASSERT_TRUE(runUntil([&] { return e.calls > 0; }));
  runFor(50);
  EXPECT_EQ(e.calls, 1);
  EXPECT_FALSE(transport->isConnected());
}

TEST(QtHostResolver, LocalhostResolves) {
  qtApp();
  QtHostResolver resolver;
  int error = -1;
  std::string address;
  resolver.lookup("localhost", [&](int e, const std::string& a) {
    error = e;
    address = a;
  });
  ASSERT_TRUE(runUntil([&] { return error != -1; }));
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(address == "127.0.0.1" || address == "::1") << address;
}

// A lookup given up never calls back and leaves nothing allocated behind (the
// sanitizer build checks), while the lookup beside it still completes.
TEST(QtHostResolver, CancelledLookupNeverCompletesItsNeighbourDoes) {
  qtApp();
  QtHostResolver resolver;
  bool cancelledCalled = false;
  int error = -1;
  const auto id = resolver.lookup("localhost", [&](int, const std::string&) { cancelledCalled = true; });
  resolver.lookup("localhost", [&](int e, const std::string&) { error = e; });
  resolver.cancel(id);
  ASSERT_TRUE(runUntil([&] { return error != -1; }));
  runFor(100);
  EXPECT_EQ(error, 0);
  EXPECT_FALSE(cancelledCalled);
}

TEST(QtHostResolver, DestroyedWithALookupPendingNeverCallsBack) {
  qtApp();
  bool called = false;
  {
    QtHostResolver resolver;
    resolver.lookup("localhost", [&](int, const std::string&) { called = true; });
  }
  runFor(200);
  EXPECT_FALSE(called);
}

// NNTP logins against scripted loopback servers.
struct NNTPOverQt {
  LoopbackServer server;
  QtNetPlatform platform;
  QtClock clock;
  TNNTP conn{platform, clock};
  std::vector<std::string> log;
  NNTPOverQt() {
    auto profile = std::make_shared<TProfile>();
    profile->host = "127.0.0.1";
    profile->port = server.port();
    profile->extensions = false;  // the scripted server plays the plain login
    conn.setProfile(profile);
    conn.OnBanner = [this](TNNTP&) { log.push_back("banner"); };
    conn.OnDisconnected = [this](TNNTP&) { log.push_back("disconnected"); };
    conn.OnError = [this](TNNTP&, int code, const std::string&) {
      log.push_back("error " + std::to_string(code));
    };
  }
};

TEST(NNTPOverQt, ByteAtATimeServerStillLogsIn) {
  NNTPOverQt t;
  std::string pending = "200 drip server ready\r\n";
  QTimer drip;
  QObject::connect(&drip, &QTimer::timeout, [&] {
    if (!t.server.peer || pending.empty()) return;
    t.server.peer->write(pending.substr(0, 1).c_str(), 1);
    t.server.peer->flush();
    pending.erase(0, 1);
  });
  drip.start(1);
  t.conn.Connect();
  ASSERT_TRUE(runUntil([&] { return t.server.peer && t.server.peer->canReadLine(); }));
  EXPECT_EQ(t.server.peer->readLine().toStdString(), "MODE READER\r\n");
  pending = "200 reader\r\n";
  ASSERT_TRUE(runUntil([&] { return !t.log.empty(); }));
  EXPECT_EQ(t.log, std::vector<std::string>{"banner"});
  EXPECT_EQ(t.conn.greeting(), "200 drip server ready");
}

TEST(NNTPOverQt, ResetMidGreetingEndsTheConnection) {
  NNTPOverQt t;
  t.conn.Connect();
  ASSERT_TRUE(runUntil([&] { return t.server.peer != nullptr; }));
  t.server.peer->write("200 half a gree");
  t.server.peer->flush();
  runFor(20);
  // Linger 0: the close sends a reset, not a FIN.
  const linger reset{1, 0};
  ASSERT_EQ(setsockopt(static_cast<int>(t.server.peer->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                       &reset, sizeof reset),
            0);
  t.server.peer->abort();
  ASSERT_TRUE(runUntil([&] { return !t.log.empty(); }));
  runFor(50);
  ASSERT_EQ(t.log.size(), 1u);
  EXPECT_TRUE(t.log[0] == "disconnected" || t.log[0] == "error 10054") << t.log[0];
  EXPECT_FALSE(t.conn.IsConnected());
  EXPECT_FALSE(t.conn.IsBusy());
}

}  // namespace
}  // namespace orvel::test
