// orvel-cli probe: connects to a news server as the program does (pool
// connection, greeting, capabilities, STARTTLS, MODE READER, login,
// compression), prints the greeting, whether posting is allowed, the
// server's capabilities and the extensions the connection uses and, with
// --group, the reply to GROUP; then quits.

#include <QEventLoop>

#include <iostream>
#include <memory>
#include <ostream>
#include <string>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "app/cli/terminal_prompter.h"
#include "config/settings.h"
#include "core/text.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli probe ALIAS [--group NAME]\n"
    "       orvel-cli probe --host HOST [--port N] [--user NAME [--password PW]]\n"
    "                       [--tls | --no-tls | --starttls] [--ca-file FILE]\n"
    "                       [--no-compress] [--no-extensions] [--pipelining N]\n"
    "                       [--group NAME]\n"
    "  ALIAS is a profile of servers.ini in the base directory.\n"
    "  --port defaults to 119, or 563 with --tls; port 563 means TLS unless --no-tls.\n"
    "  --starttls       TLS by STARTTLS on the plain port; the login fails without it\n"
    "  --no-compress    no COMPRESS DEFLATE even when the server offers it\n"
    "  --no-extensions  no CAPABILITIES, and none of the extensions it offers\n"
    "  --pipelining N   commands sent ahead of their replies, 1 to 16 (default 4; 1: none)\n"
    "  Without a password a login asks for it on the terminal.\n";

struct ProbeArguments {
  std::string alias;  // a profile of servers.ini, or empty with --host
  TProfile profile;
  std::string group;
};

// Reads the options; an error text when they are wrong.
std::optional<std::string> parseArguments(const std::vector<std::string>& args,
                                          ProbeArguments& out) {
  std::optional<bool> tls;
  bool portGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    std::optional<std::string> v;
    if (a == "--tls") {
      tls = true;
    } else if (a == "--no-tls") {
      tls = false;
    } else if (a == "--starttls") {
      out.profile.startTls = true;
    } else if (a == "--no-compress") {
      out.profile.compress = false;
    } else if (a == "--no-extensions") {
      out.profile.extensions = false;
    } else if (a == "--host" || a == "--port" || a == "--user" || a == "--password" ||
               a == "--ca-file" || a == "--group" || a == "--pipelining") {
      v = value();
      if (!v) return a + " needs a value";
      if (a == "--host") out.profile.host = *v;
      if (a == "--user") out.profile.userName = *v;
      if (a == "--password") out.profile.password = *v;
      if (a == "--ca-file") out.profile.caFile = *v;
      if (a == "--group") out.group = *v;
      if (a == "--pipelining") {
        const auto depth = parseDecimal(*v);
        if (!depth || *depth < 1 || *depth > TProfile::kMaxPipelining) return "bad depth: " + *v;
        out.profile.pipelining = static_cast<int>(*depth);
      }
      if (a == "--port") {
        const auto port = parseDecimal(*v);
        if (!port || *port < 1 || *port > 65535) return "bad port: " + *v;
        out.profile.port = static_cast<int>(*port);
        portGiven = true;
      }
    } else if (!a.empty() && a[0] != '-' && out.alias.empty()) {
      out.alias = a;
    } else {
      return "unknown option " + a;
    }
  }
  if (!out.alias.empty()) {
    if (!out.profile.host.empty() || portGiven || tls || !out.profile.userName.empty() ||
        !out.profile.caFile.empty() || out.profile.startTls || !out.profile.compress ||
        !out.profile.extensions || out.profile.pipelining != TProfile{}.pipelining) {
      return "give either a profile alias or --host and its options";
    }
    return std::nullopt;
  }
  if (trimView(out.profile.host).empty()) return "a profile alias or --host is needed";
  if (out.profile.startTls && tls) return "--starttls goes without --tls and --no-tls";
  out.profile.tls = tls.value_or(portGiven && out.profile.port == 563);
  if (!portGiven) out.profile.port = out.profile.tls ? 563 : 119;
  if (out.profile.alias.empty()) out.profile.alias = out.profile.host;
  return std::nullopt;
}

// The capabilities as received, then one line per extension in use.
void printExtensions(const TNNTP& connection, std::ostream& out) {
  const NntpEngine& engine = connection.engine();
  const NntpCapabilities& capabilities = engine.capabilities();
  if (!engine.capabilitiesKnown()) {
    out << "capabilities: none\n";
  } else {
    out << "capabilities:\n";
    for (const std::string& line : capabilities.lines()) out << "  " << line << '\n';
  }
  const char* tls = engine.usedStartTls()             ? "starttls"
                    : connection.profile()->tls ? "implicit"
                                                      : "none";
  out << "tls: " << tls << '\n'
      << "compress: " << (engine.compressing() ? "deflate" : "none") << '\n'
      << "over: " << connection.overviewVerb() << '\n';
  const int depth = connection.pipelineDepth();
  out << "pipelining: " << (depth > 1 ? std::to_string(depth) : std::string("none")) << '\n';
}

}  // namespace

int cmdProbe(CliContext& context) {
  ProbeArguments arguments;
  if (const auto problem = parseArguments(context.args, arguments)) {
    context.err << "orvel-cli probe: " << *problem << '\n' << kUsage;
    return 2;
  }

  std::shared_ptr<TProfile> profile;
  NNTPOptions options;
  if (!arguments.alias.empty()) {
    const auto session = OpenSession(context);
    const int index = ProfileIndex(session->main.profiles, arguments.alias);
    if (index < 0) {
      context.err << "orvel-cli probe: no profile \"" << arguments.alias << "\" in "
                  << session->app.baseDir << "servers.ini\n";
      return 1;
    }
    profile = session->main.profiles[static_cast<std::size_t>(index)];
    options.maxConnPerServer = session->main.settings.maxConnPerServer;
    options.xferTimeOutSec = session->main.settings.xferTimeOutMs / 1000;
  } else {
    profile = std::make_shared<TProfile>(arguments.profile);
  }

  QtNetPlatform platform;
  QtClock clock;
  TerminalPrompter prompter(context.err, TerminalInput());
  ConnectionPool pool(platform, clock, prompter);
  pool.setOptions(options);
  TNNTP& connection = pool.AcquireConnection(profile);

  QEventLoop loop;
  int exitCode = 1;
  auto finish = [&](int code) {
    exitCode = code;
    loop.quit();
  };
  connection.OnBanner = [&](TNNTP& c) {
    context.out << "greeting: " << c.greeting() << '\n'
                << "posting: " << (c.postingAllowed() ? "allowed" : "not allowed") << '\n';
    printExtensions(c, context.out);
    if (arguments.group.empty()) {
      c.Quit();
    } else {
      c.Group(arguments.group);
    }
  };
  connection.OnGroup = [&](TNNTP& c) {
    context.out << "group: " << c.lastReply() << '\n';
    c.Quit();
  };
  connection.OnQuit = [&](TNNTP&) { finish(0); };
  connection.OnError = [&](TNNTP& c, int code, const std::string& text) {
    context.err << "orvel-cli probe: " << text << " (" << code << ")\n";
    // A refused GROUP still ends with a polite QUIT.
    if (c.IsConnected() && c.state() == NNTPState::Ready) {
      exitCode = 1;
      c.OnQuit = [&](TNNTP&) { loop.quit(); };
      c.Quit();
      return;
    }
    finish(1);
  };
  connection.OnDisconnected = [&](TNNTP&) {
    context.err << "orvel-cli probe: the server closed the connection\n";
    finish(1);
  };
  connection.Connect();
  loop.exec();
  pool.ReleaseConnection(connection);
  if (exitCode != 0 && !prompter.unanswered().empty()) {
    context.err << "orvel-cli probe: "
                << prompter.UnansweredReason({}, arguments.alias.empty()
                                                     ? "--password"
                                                     : "orvel-cli servers add ... --password")
                << '\n';
  }
  return exitCode;
}

}  // namespace orvel::cli
