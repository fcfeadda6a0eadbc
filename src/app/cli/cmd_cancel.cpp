// orvel-cli cancel ALIAS GROUP NUMBER: cancels an article of a group as the
// group view's cancel does: the control message names the current group,
// the article's Message-ID, From and subject, and carries the Cancel-Key of
// the group's identity, which opens the Cancel-Lock of the user's own
// articles. The article is looked up in the stored headers, downloaded
// first when they lack it.

#include <QEventLoop>
#include <QTimer>

#include <ostream>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "articles/header_utils.h"
#include "config/group_props.h"
#include "core/text.h"
#include "posting/cancel_lock.h"
#include "posting/cancel_message.h"

namespace orvel::cli {

namespace {

constexpr int kAnswerLimitMs = 120000;
constexpr const char* kUsage = "usage: orvel-cli cancel ALIAS GROUP NUMBER [--retries N] [--verbose]\n";

// The Cancel-Key of the identity that posts in the group; empty when its
// secret cannot be had (the cancel then goes without one).
std::string cancelKey(const CliContext& context, const std::string& alias, const std::string& group,
                      const std::string& messageId) {
  const auto session = OpenSession(context);
  if (!session) return {};
  const int index = ProfileIndex(session->main.profiles, alias);
  if (index < 0) return {};
  TID id;
  ResolveIdentity(session->main, *session->main.profiles[static_cast<std::size_t>(index)], group, id);
  const auto secret = CancelLockSecrets(session->app.baseDir).Secret(id.name);
  return secret ? CancelKeyValue(*secret, messageId) : std::string();
}

}  // namespace

int cmdCancel(CliContext& context) {
  CliGroupOptions options;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < context.args.size(); ++i) {
    std::optional<std::string> problem;
    if (TakeGroupOption(context.args, i, options, problem)) {
      if (problem) {
        context.err << "orvel-cli cancel: " << *problem << '\n' << kUsage;
        return 2;
      }
    } else {
      words.push_back(context.args[i]);
    }
  }
  std::vector<std::int32_t> numbers;
  const auto bad = words.size() == 3 ? ParseNumberList(words[2], numbers)
                                     : std::optional<std::string>("an alias, a group and a number are needed");
  if (bad || numbers.size() != 1) {
    context.err << "orvel-cli cancel: " << (bad ? *bad : std::string("one article at a time")) << '\n'
                << kUsage;
    return 2;
  }
  const std::string& alias = words[0];
  const std::string& groupName = words[1];
  CliGroup group(context, "cancel", options);
  if (!group.Open(alias, groupName)) return 1;
  if (!group.FindNumber(numbers[0])) group.DownloadRange(numbers[0], numbers[0]);
  const TArticle* article = group.FindNumber(numbers[0]);
  if (!article) {
    if (!group.ExplainFailure()) {
      context.err << "orvel-cli cancel: no article " << numbers[0] << " in " << groupName
                  << "; nothing cancelled\n";
    }
    group.Close(false);
    return 1;
  }
  const CancelTarget target{groupName, std::string(article->MessageID.view()),
                            FormatAddress(article->FromName(), article->FromAddress()),
                            std::string(article->Subject.view())};
  const std::shared_ptr<TProfile> profile = group.View().Profile();
  group.Close(true);

  const std::string message = CancelMessage(target, cancelKey(context, alias, groupName, target.messageId));
  QtNetPlatform platform;
  QtClock clock;
  TerminalPrompter prompter(context.err, TerminalInput());
  ConnectionPool pool(platform, clock, prompter);
  TNNTP& connection = pool.AcquireConnection(profile);
  QEventLoop loop;
  int status = 1;
  connection.OnBanner = [&](TNNTP& c) {
    context.err << kCancellingText << groupName << '\n';
    c.Post();
  };
  connection.OnBeginPost = [&](TNNTP& c) { c.SendArticle(message); };
  connection.OnEndPost = [&](TNNTP&) {
    context.out << trimView(kCancelSentText) << '\n';
    status = 0;
    loop.quit();
  };
  connection.OnError = [&](TNNTP&, int, const std::string& text) {
    context.err << "orvel-cli cancel: " << text << '\n';
    loop.quit();
  };
  connection.OnDisconnected = [&](TNNTP&) {
    context.err << "orvel-cli cancel: the server closed the connection\n";
    loop.quit();
  };
  // The connection's own timer does not watch the post's answers.
  QTimer::singleShot(kAnswerLimitMs, &loop, [&] {
    context.err << "orvel-cli cancel: no answer from the server\n";
    loop.quit();
  });
  connection.Connect();
  loop.exec();
  pool.ReleaseConnection(connection);
  return status;
}

}  // namespace orvel::cli
