// orvel-cli send [--outbox] [--yes] [--verbose]: sends the Outbox as its
// view's batch does, after "Ready to send messages?" (--yes answers it).
// orvel-cli send FILE: stores the queued message texts of FILE (as compose
// --print writes them) in the Outbox and sends them; a message that cannot
// go stays there. The poster's steps go to the error stream; each message
// sent is said on the output.

#include <QEventLoop>

#include <filesystem>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "app/cli/terminal_prompter.h"
#include "articles/article_arena.h"
#include "core/text.h"
#include "folders/folder_list.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "posting/outbox_sender.h"
#include "posting/queued_text.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage = "usage: orvel-cli send [--outbox] [--yes] [--verbose] | send FILE [--verbose]\n";

struct SendArgs {
  std::string file;
  bool yes = false;
  bool verbose = false;
};

std::optional<std::string> parse(const std::vector<std::string>& args, SendArgs& out) {
  for (const std::string& a : args) {
    if (a == "--yes") {
      out.yes = true;
    } else if (a == "--verbose") {
      out.verbose = true;
    } else if (a == "--outbox") {
      continue;
    } else if (!a.starts_with("--") && out.file.empty()) {
      out.file = a;
    } else {
      return "unexpected argument " + a;
    }
  }
  return std::nullopt;
}

// Appends each queued text of the file to the Outbox; the keys of the new
// entries, or nothing with the reason.
std::optional<std::vector<FolderEntryKey>> storeFile(const std::string& file, TFolder& outbox,
                                                     int tz, std::string& error) {
  std::string data;
  if (!ReadInput(file, data)) {
    error = "cannot read " + file;
    return std::nullopt;
  }
  std::vector<FolderEntryKey> keys;
  ArticleArena arena;
  for (const std::string& piece : splitChar(data, '\0')) {
    if (trimView(piece).empty()) continue;
    const std::optional<ComposeMessage> m = ReadQueuedText(piece, {}, {}, error);
    if (!m) {
      error = file + " is not a queued message: " + error;
      return std::nullopt;
    }
    QueueRecord record = BuildQueuedText(*m, outbox.Now(), tz).record;
    const std::string text = piece + '\0';
    const std::string_view body = text;
    TArticle* article = NewQueueRecord(arena, record);
    if (!outbox.AddArticle(*article, &body, record.groupField)) {
      error = "the Outbox could not be written";
      return std::nullopt;
    }
    keys.push_back({record.date, record.subject});
  }
  if (!keys.empty()) return keys;
  error = file + " holds no message";
  return std::nullopt;
}

class Sender {
 public:
  Sender(CliContext& context, SendArgs args) : context_(context), args_(std::move(args)) {}
  int run();

 private:
  int fail(const std::string& text) {
    context_.err << "orvel-cli send: " << text << '\n';
    return 1;
  }

  CliContext& context_;
  SendArgs args_;
};

int Sender::run() {
  const auto session = OpenSession(context_);
  if (!session) return 1;
  TFolderList folders(session->app.baseDir + "folders.ini", session->app.foldersDir);
  folders.Load();
  const std::string& outboxPath = folders[0].file;
  const int tz = session->main.settings.timeZoneOffset();
  std::error_code ec;
  std::filesystem::create_directories(session->app.foldersDir, ec);

  TFolder outbox(outboxPath, kStoreOutbox);
  outbox.TZ = tz;
  std::optional<std::vector<FolderEntryKey>> only;
  if (!args_.file.empty()) {
    std::string error;
    only = storeFile(args_.file, outbox, tz, error);
    if (!only) return fail(error);
  }
  ArticleArena arena;
  std::string error;
  std::optional<std::vector<OutboxEntry>> entries =
      OutboxEntries(outbox, arena, only ? &*only : nullptr, error);
  if (!entries) return fail(error);
  if (entries->empty()) {
    context_.out << "the Outbox holds nothing to send\n";
    return 0;
  }

  TerminalPrompter prompter(context_.err, TerminalInput(),
                            args_.yes ? std::optional<Button>(Button::Yes) : std::nullopt);
  if (!only) {
    const Button answer = prompter.ask(kReadyToSendQuestion, kYesNoCancel, MessageKind::Question, {});
    if (!prompter.unanswered().empty()) return fail(prompter.UnansweredReason("--yes"));
    if (answer != Button::Yes) return fail("nothing sent: the question was not answered Yes");
  }

  QtNetPlatform platform;
  QtClock clock;
  ConnectionPool pool(platform, clock, prompter);
  OutboxSender sender(SystemPosterEnvironment(session->main, pool, platform, clock,
                                              session->app.baseDir),
                      {outboxPath, folders[1].file});
  QEventLoop loop;
  bool complete = false;
  sender.onProgress = [&](int code, int percent, const std::string& text) {
    const bool progress = code == kPosterMailProgress || code == kPosterPostProgress;
    if (progress && !args_.verbose) return;
    if (progress) context_.err << percent << "% ";
    context_.err << text << '\n';
  };
  sender.onEntrySent = [&](const TArticle& record) {
    context_.out << "sent: " << record.Subject.view() << '\n';
  };
  sender.onFinished = [&](bool done, const std::string& why) {
    complete = done;
    error = why;
    loop.quit();
  };
  if (!sender.Start(std::move(*entries))) return fail("nothing to send");
  if (sender.Running()) loop.exec();
  if (!complete) {
    return fail((error.empty() ? std::string("stopped") : error) + "; " +
                std::to_string(sender.SentCount()) + " sent, the rest stays in the Outbox");
  }
  return 0;
}

}  // namespace

int cmdSend(CliContext& context) {
  SendArgs args;
  if (const auto problem = parse(context.args, args)) {
    context.err << "orvel-cli send: " << *problem << '\n' << kUsage;
    return 2;
  }
  return Sender(context, std::move(args)).run();
}

}  // namespace orvel::cli
