// orvel-cli servers: list the profiles, add one, remove one. Adding and
// removing are the non-interactive forms of the new-server and delete-server
// dialogs: the same alias checks and messages, then "servers.ini" is saved.

#include <filesystem>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "config/config_loading.h"
#include "config/profile_dialogs.h"
#include "config/servers_file.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli servers\n"
    "       orvel-cli servers add ALIAS HOST[:PORT] [--user NAME] [--password PASS] [--tls]"
    " [--ca-file FILE]\n"
    "                         [--smtp HOST[:PORT]] [--smtp-user NAME] [--smtp-password PASS]\n"
    "       orvel-cli servers remove ALIAS\n";

int usage(CliContext& context) {
  context.err << kUsage;
  return 2;
}

bool save(CliContext& context, const Session& session, const std::vector<std::string>& erased) {
  std::string error;
  if (SaveProfiles(session.app, session.main, erased, &error)) return true;
  context.err << "orvel-cli servers: " << ServersIniPath(session.app) << ": " << error << '\n';
  return false;
}

const char* onOff(bool on) { return on ? "on" : "off"; }

int list(CliContext& context) {
  const auto session = OpenSession(context);
  const MainState& main = session->main;
  if (main.profiles.empty()) {
    context.out << "no server profile (" << ServersIniPath(session->app) << ")\n";
    return 0;
  }
  for (std::size_t i = 0; i < main.profiles.size(); ++i) {
    const TProfile& p = *main.profiles[i];
    context.out << (static_cast<int>(i) == main.defaultProfileIndex ? "* " : "  ") << p.alias
                << "  " << p.host << ':' << p.effectivePort() << (p.tls ? " tls" : "")
                << "  user: " << (p.userName.empty() ? "none" : p.userName)
                << (p.userName.empty() ? "" : p.password.empty() ? " (password asked)" : " (password stored)")
                << "  identity: " << p.identity.name << "  newsrc: " << p.newsrcPath
                << "  extensions: " << onOff(p.extensions) << "  starttls: " << onOff(p.startTls)
                << "  compress: " << onOff(p.compress) << "  pipelining: " << p.pipelining << '\n';
  }
  return 0;
}

int add(CliContext& context) {
  const auto& args = context.args;
  if (args.size() < 3) return usage(context);
  const std::string alias = args[1];
  const std::string host = args[2];
  std::string user, password, caFile, smtp, smtpUser, smtpPassword;
  bool tls = false;
  for (std::size_t i = 3; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--user" && hasValue) {
      user = args[++i];
    } else if (a == "--password" && hasValue) {
      password = args[++i];
    } else if (a == "--ca-file" && hasValue) {
      caFile = args[++i];
    } else if (a == "--smtp" && hasValue) {
      smtp = args[++i];
    } else if (a == "--smtp-user" && hasValue) {
      smtpUser = args[++i];
    } else if (a == "--smtp-password" && hasValue) {
      smtpPassword = args[++i];
    } else if (a == "--tls") {
      tls = true;
    } else {
      return usage(context);
    }
  }
  if (!ParseProfileEntry(host)) {
    context.err << "orvel-cli servers add: no host in \"" << host << "\"\n";
    return 2;
  }
  std::error_code ec;
  if (!caFile.empty()) {
    caFile = std::filesystem::absolute(caFile, ec).lexically_normal().string();
    if (!std::filesystem::is_regular_file(caFile, ec)) {
      context.err << "orvel-cli servers add: no CA file " << caFile << '\n';
      return 1;
    }
  }

  auto session = OpenSession(context);
  MainState& main = session->main;
  if (auto refusal = CheckNewAlias(main.profiles, alias)) {
    context.err << *refusal << '\n';
    return 1;
  }
  const auto profile = AddProfile(main, session->app.baseDir, nullptr, host, alias);
  profile->userName = user;
  profile->password = password;
  profile->tls = profile->tls || tls;
  profile->caFile = caFile;
  if (!smtp.empty()) profile->SMTPHost = smtp;
  profile->SMTPUser = smtpUser;
  profile->SMTPPassword = smtpPassword;
  if (main.profiles.size() == 1) main.defaultProfileIndex = 0;
  if (!save(context, *session, {})) return 1;
  context.out << "added " << profile->alias << "  " << profile->host << ':'
              << profile->effectivePort() << (profile->tls ? " tls" : "") << '\n';
  return 0;
}

int remove(CliContext& context) {
  if (context.args.size() != 2) return usage(context);
  auto session = OpenSession(context);
  MainState& main = session->main;
  const int index = ProfileIndex(main.profiles, context.args[1]);
  if (index < 0) {
    context.err << "orvel-cli servers remove: no server profile \"" << context.args[1] << "\"\n";
    return 1;
  }
  const auto removed = RemoveProfile(main, index);
  if (!save(context, *session, {removed->alias})) return 1;
  context.out << "removed " << removed->alias << " (its newsrc " << removed->newsrcPath
              << " is kept)\n";
  return 0;
}

}  // namespace

int cmdServers(CliContext& context) {
  if (context.args.empty()) return list(context);
  if (context.args[0] == "add") return add(context);
  if (context.args[0] == "remove") return remove(context);
  return usage(context);
}

}  // namespace orvel::cli
