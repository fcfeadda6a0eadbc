// orvel-cli probe: connects to a news server as the program does (pool
// connection, greeting, MODE READER, login), prints the greeting, whether
// posting is allowed and, with --group, the reply to GROUP; then quits.

#include <termios.h>
#include <unistd.h>

#include <QEventLoop>

#include <iostream>
#include <memory>
#include <ostream>
#include <string>

#include "app/cli/commands.h"
#include "core/prompter.h"
#include "core/text.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli probe --host HOST [--port N] [--user NAME [--password PW]]\n"
    "                       [--tls | --no-tls] [--ca-file FILE] [--group NAME]\n"
    "  --port defaults to 119, or 563 with --tls; port 563 means TLS unless --no-tls.\n"
    "  Without --password a login asks for it on the terminal.\n";

// The person at the terminal: the login's password prompt reads a line
// from standard input, without echo on a terminal.
class TerminalPrompter final : public Prompter {
 public:
  explicit TerminalPrompter(std::ostream& err) : err_(err) {}

  void message(std::string_view text, MessageKind, std::string_view) override {
    err_ << text << '\n';
  }
  Button ask(std::string_view, Buttons, MessageKind, std::string_view) override {
    return Button::Cancel;
  }
  std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                       std::string_view, InputMode mode) override {
    err_ << caption << ' ' << prompt << ' ' << std::flush;
    const bool hide = mode == InputMode::Masked && isatty(STDIN_FILENO);
    termios saved{};
    if (hide && tcgetattr(STDIN_FILENO, &saved) == 0) {
      termios quiet = saved;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (hide) {
      tcsetattr(STDIN_FILENO, TCSANOW, &saved);
      err_ << '\n';
    }
    if (!got) return std::nullopt;
    return line;
  }
  std::optional<std::int64_t> inputNumber(std::string_view, std::string_view, std::int64_t,
                                          std::int64_t, std::int64_t) override {
    return std::nullopt;
  }
  std::optional<std::string> chooseOpenFile(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> chooseSaveFile(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> chooseFolder(std::string_view, std::string_view) override {
    return std::nullopt;
  }
  void status(std::string_view) override {}
  void progress(std::int64_t, std::int64_t) override {}

 private:
  std::ostream& err_;
};

struct ProbeArguments {
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
    } else if (a == "--host" || a == "--port" || a == "--user" || a == "--password" ||
               a == "--ca-file" || a == "--group") {
      v = value();
      if (!v) return a + " needs a value";
      if (a == "--host") out.profile.host = *v;
      if (a == "--user") out.profile.userName = *v;
      if (a == "--password") out.profile.password = *v;
      if (a == "--ca-file") out.profile.caFile = *v;
      if (a == "--group") out.group = *v;
      if (a == "--port") {
        const auto port = parseDecimal(*v);
        if (!port || *port < 1 || *port > 65535) return "bad port: " + *v;
        out.profile.port = static_cast<int>(*port);
        portGiven = true;
      }
    } else if (!a.empty() && a[0] != '-') {
      return "reading profile \"" + a +
             "\" from servers.ini is not available in this build; give --host";
    } else {
      return "unknown option " + a;
    }
  }
  if (trimView(out.profile.host).empty()) return "--host is needed";
  out.profile.tls = tls.value_or(portGiven && out.profile.port == 563);
  if (!portGiven) out.profile.port = out.profile.tls ? 563 : 119;
  if (out.profile.alias.empty()) out.profile.alias = out.profile.host;
  return std::nullopt;
}

}  // namespace

int cmdProbe(CliContext& context) {
  ProbeArguments arguments;
  if (const auto problem = parseArguments(context.args, arguments)) {
    context.err << "orvel-cli probe: " << *problem << '\n' << kUsage;
    return 2;
  }

  QtNetPlatform platform;
  QtClock clock;
  TerminalPrompter prompter(context.err);
  ConnectionPool pool(platform, clock, prompter);
  auto profile = std::make_shared<TProfile>(arguments.profile);
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
  return exitCode;
}

}  // namespace orvel::cli
