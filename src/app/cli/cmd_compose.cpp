// orvel-cli compose: builds a message as the compose window does, through
// the same session and checks before sending, and stores it in the Outbox
// (or prints its queued text with --print). A check that would ask the
// person fails with its text unless --yes answers it; one that refuses the
// message always fails. Exit codes: 0 stored or printed, 1 refused or not
// stored, 2 bad usage.

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "app/cli/terminal_prompter.h"
#include "articles/article_date.h"
#include "content/article_view.h"
#include "content/mime_types.h"
#include "content/viewer_settings.h"
#include "core/atomic_file.h"
#include "core/null_prompter.h"
#include "core/text.h"
#include "folders/folder_list.h"
#include "posting/answered_article.h"
#include "posting/signature.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli compose [--profile ALIAS] [--post GROUPS] [--followup-to GROUPS]\n"
    "                         [--mail ADDRESS] [--subject TEXT] [--body FILE|-]\n"
    "                         [--attach FILE]... [--header \"Name: value\"]...\n"
    "                         [--reply-to ARTICLE-FILE --mode followup|mail|followup-mail|forward|supersede]\n"
    "                         [--identity NAME] [--print] [--yes]\n";

struct ComposeArguments {
  std::string profile;
  std::optional<std::string> post, followUp, mail, subject, body, identity;
  std::vector<std::string> attachments, headers;
  std::string replyTo;
  std::optional<ComposeKind> mode;
  bool print = false;
  bool yes = false;
};

std::optional<ComposeKind> kindNamed(std::string_view name) {
  static constexpr std::pair<std::string_view, ComposeKind> kKinds[] = {
      {"followup", ComposeKind::FollowUp}, {"mail", ComposeKind::Mail},
      {"followup-mail", ComposeKind::FollowUpMail}, {"forward", ComposeKind::Forward},
      {"supersede", ComposeKind::Supersede}};
  for (const auto& [word, kind] : kKinds) {
    if (name == word) return kind;
  }
  return std::nullopt;
}

std::optional<std::string> parseArguments(const std::vector<std::string>& args, ComposeArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--print") {
      out.print = true;
      continue;
    }
    if (a == "--yes") {
      out.yes = true;
      continue;
    }
    if (i + 1 >= args.size()) return a.rfind("--", 0) == 0 ? a + " needs a value" : "unexpected " + a;
    const std::string& value = args[++i];
    if (a == "--profile") {
      out.profile = value;
    } else if (a == "--post") {
      out.post = value;
    } else if (a == "--followup-to") {
      out.followUp = value;
    } else if (a == "--mail") {
      out.mail = value;
    } else if (a == "--subject") {
      out.subject = value;
    } else if (a == "--body") {
      out.body = value;
    } else if (a == "--identity") {
      out.identity = value;
    } else if (a == "--attach") {
      out.attachments.push_back(value);
    } else if (a == "--header") {
      out.headers.push_back(value);
    } else if (a == "--reply-to") {
      out.replyTo = value;
    } else if (a == "--mode") {
      out.mode = kindNamed(value);
      if (!out.mode) return "unknown mode " + value;
    } else {
      return "unknown option " + a;
    }
  }
  if (out.replyTo.empty() != !out.mode) return std::string("--reply-to and --mode go together");
  if (out.replyTo.empty() && !out.post && !out.mail) return std::string("--post or --mail is needed");
  return std::nullopt;
}

std::shared_ptr<TProfile> profileFor(const MainState& main, const std::string& alias) {
  if (alias.empty()) return main.defaultProfile();
  const int index = ProfileIndex(main.profiles, alias);
  return index < 0 ? nullptr : main.profiles[static_cast<std::size_t>(index)];
}

AnsweredArticle answeredFrom(std::string text, const Session& session) {
  NullPrompter prompter;
  NoLauncher launcher;
  const auto mimeTypes = SystemMimeTypes();
  ArticleView view(ViewerSettingsFrom(session.main.settings),
                   ViewerServices{prompter, launcher, {mimeTypes.get(), nullptr}});
  view.ShowStoredArticle(std::move(text), false);
  return AnsweredFromView(view, {});
}

// The person's text goes where they would type it: after what is there
// (the quoted text, then an empty line), before the signature block, which
// brings its own empty line.
std::string withText(const std::string& body, std::string_view text) {
  const std::string kept = WithoutSignature(body);
  const std::string_view rest = std::string_view(body).substr(kept.size());
  std::string out = trimView(kept).empty() ? std::string() : kept;
  if (!out.empty()) {
    if (out.back() != '\n') out += "\r\n";
    if (out.size() < 4 || out.compare(out.size() - 4, 4, "\r\n\r\n") != 0) out += "\r\n";
  }
  for (char c : text) {
    if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
    out += c;
  }
  if (rest.empty()) {
    if (!out.empty() && out.back() != '\n') out += "\r\n";
  } else if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) {
    out.resize(out.size() - 2);
  }
  return out.append(rest);
}

// The program's texts span lines and pad with blanks; one line of words.
std::string oneLine(std::string_view text) {
  std::string line;
  for (char c : text) {
    const bool blank = c == '\r' || c == '\n' || c == ' ';
    if (blank && (line.empty() || line.back() == ' ')) continue;
    line += blank ? ' ' : c;
  }
  return trim(line);
}

// The session's messages are kept rather than printed: a refusal becomes the
// command's one line of failure, a notice is printed once the message is
// stored. With --yes a question of the checks gets the answer that lets the
// message go on; other questions go to the terminal.
class ComposePrompter final : public NullPrompter {
 public:
  ComposePrompter(TerminalPrompter& terminal, bool yes) : terminal_(terminal), yes_(yes) {}
  void message(std::string_view text, MessageKind, std::string_view) override {
    messages.push_back(oneLine(text));
  }
  Button ask(std::string_view text, Buttons buttons, MessageKind kind,
             std::string_view caption) override {
    if (yes_) {
      if (const auto it = goOn.find(std::string(text)); it != goOn.end()) return it->second;
    }
    return terminal_.ask(text, buttons, kind, caption);
  }
  // The questions the checks may ask, and the answer that goes on.
  void expect(const std::vector<CheckFinding>& findings) {
    for (const CheckFinding& f : findings) {
      for (const Button b : {Button::Yes, Button::No}) {
        if (f.buttons != kOk && VerdictFor(f.check, b) == SendVerdict::GoOn) {
          goOn[f.text] = b;
          break;
        }
      }
    }
    goOn[std::string(kLargeFileQuestion)] = Button::No;
  }
  std::vector<std::string> messages;

 private:
  TerminalPrompter& terminal_;
  bool yes_;
  std::map<std::string, Button> goOn;
};

class Composer {
 public:
  Composer(CliContext& context, ComposeArguments args) : context_(context), args_(std::move(args)) {}
  int run();

 private:
  int fail(const std::string& why) {
    context_.err << "orvel-cli compose: " << why << '\n';
    return 1;
  }
  std::optional<std::string> fill(ComposeSession& compose, const Session& session);
  int refused(const TerminalPrompter& terminal, const std::string& refusal, bool followUpWanted);

  CliContext& context_;
  ComposeArguments args_;
};

std::optional<std::string> Composer::fill(ComposeSession& compose, const Session& session) {
  if (!args_.replyTo.empty()) {
    std::string text;
    if (!ReadWholeFile(args_.replyTo, text)) return "cannot read " + args_.replyTo;
    compose.OpenAnswer(*args_.mode, answeredFrom(std::move(text), session), {});
  } else {
    compose.OpenNew(args_.post ? *args_.post : std::string());
  }
  if (compose.NeedsIdentitySetUp()) {
    return std::string("the identity has no name yet: orvel-cli identity sets it");
  }
  if (args_.identity && !compose.ChangeIdentity(*args_.identity)) {
    return "no identity " + *args_.identity;
  }
  ComposeMessage& m = compose.Edit();
  if (args_.post) {
    m.groups = *args_.post;
    compose.SetPost(!m.groups.empty());
  }
  if (args_.followUp) m.followUp = *args_.followUp;
  if (args_.mail) {
    m.mailTo = *args_.mail;
    compose.SetMail(!m.mailTo.empty());
    // A new message given only an address is a mail, not an article.
    if (!args_.post && args_.replyTo.empty()) compose.SetPost(false);
  }
  // What the person gave counts as written, as typing in the window does.
  if (args_.subject) {
    m.subject = *args_.subject;
    m.modified = true;
  }
  if (args_.body) {
    std::string text;
    if (!ReadInput(*args_.body, text)) return "cannot read " + *args_.body;
    compose.SetBodyText(withText(compose.BodyText(), text));
    m.modified = true;
  }
  for (const std::string& path : args_.attachments) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    m.attachments.push_back({path, ec ? 0 : size});
    m.modified = true;
  }
  for (const std::string& line : args_.headers) m.manualHeaders.push_back(line);
  return std::nullopt;
}

int Composer::run() {
  const auto session = OpenSession(context_);
  if (!session) return 1;
  MainState& main = session->main;
  std::shared_ptr<TProfile> profile = profileFor(main, args_.profile);
  if (!profile && !args_.profile.empty()) return fail("no profile " + args_.profile);
  TFolderList folders(session->app.baseDir + "folders.ini", session->app.foldersDir);
  folders.Load();

  TerminalPrompter terminal(context_.err, TerminalInput());
  ComposePrompter prompter(terminal, args_.yes);
  ComposeEnvironment environment{&main, profile, session->app.baseDir, folders[0].file,
                                 folders[1].file, session->app.dateFormats,
                                 main.settings.timeZoneOffset()};
  ComposeSession compose(std::move(environment), prompter);
  if (const auto problem = fill(compose, *session)) return fail(*problem);

  bool followUpWanted = false;
  const auto picker = [&](const std::string&) -> std::optional<std::string> {
    if (args_.followUp) return args_.followUp;
    followUpWanted = true;
    return std::nullopt;
  };
  const SendCheckContext checks = ContextFromSettings(main.settings);
  prompter.expect(SendChecks(compose.Message(), checks));
  const std::size_t notices = prompter.messages.size();
  SendStep step = compose.PrepareSend(checks, picker);
  // Yes to the badly wrapped quotes rewraps them; the checks then run again.
  if (step == SendStep::Rewrapped) step = compose.PrepareSend(checks, picker);
  if (step == SendStep::Back || step == SendStep::Rewrapped) {
    const bool refusal = prompter.messages.size() > notices;
    return refused(terminal, refusal ? prompter.messages.back() : std::string(), followUpWanted);
  }
  for (const std::string& notice : prompter.messages) context_.err << notice << '\n';
  const DateTime now = LocalNow();
  if (args_.print) {
    for (const QueuedText& q : compose.QueuedTexts(now)) context_.out << q.text;
    return 0;
  }
  if (!compose.SaveToOutbox(now)) return fail("the Outbox could not be written");
  const std::size_t count = compose.QueuedTexts(now).size();
  context_.out << "stored in the Outbox: " << count << (count == 1 ? " message\n" : " messages\n");
  return 0;
}

int Composer::refused(const TerminalPrompter& terminal, const std::string& refusal,
                      bool followUpWanted) {
  if (!terminal.unanswered().empty()) return fail(terminal.UnansweredReason("--yes"));
  if (followUpWanted) {
    return fail("posting to this many groups needs a follow-up: --followup-to GROUPS (\"\" for none)");
  }
  if (!refusal.empty()) return fail(refusal);
  return fail("the message was not stored");
}

}  // namespace

int cmdCompose(CliContext& context) {
  ComposeArguments args;
  if (const auto problem = parseArguments(context.args, args)) {
    context.err << "orvel-cli compose: " << *problem << '\n' << kUsage;
    return 2;
  }
  return Composer(context, std::move(args)).run();
}

}  // namespace orvel::cli
