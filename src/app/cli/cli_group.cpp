#include "app/cli/cli_group.h"

#include <QEventLoop>
#include <QTimer>

#include "articles/progress_texts.h"
#include "content/group_content_options.h"
#include "content/mime_types.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

// What gives a login its password when no terminal can ask for it.
constexpr const char* kPasswordFlag = "orvel-cli servers add ... --password";

bool isCountdownText(std::string_view text) { return text.starts_with("Tentative dans "); }

// The resumption's own texts: shown without --verbose.
bool isRetryText(std::string_view text) {
  return isCountdownText(text) || text == kResumingText ||
         text.find(kTryingText) != std::string_view::npos;
}

}  // namespace

bool TakeGroupOption(const std::vector<std::string>& args, std::size_t& i,
                     CliGroupOptions& options, std::optional<std::string>& problem) {
  const std::string& a = args[i];
  if (a == "--verbose") {
    options.verbose = true;
    return true;
  }
  if (a != "--retries") return false;
  if (i + 1 >= args.size()) {
    problem = "--retries needs a number";
    return true;
  }
  const auto n = parseDecimal(args[++i]);
  if (!n || *n < 0 || *n > 1000) {
    problem = "bad number for --retries: " + args[i];
  } else {
    options.retries = static_cast<int>(*n);
  }
  return true;
}

void CliGroup::Terminal::message(std::string_view text, MessageKind kind,
                                 std::string_view caption) {
  if (kind == MessageKind::Information) {
    owner_.terminal_.message(text, kind, caption);
    return;
  }
  failed = true;
  // A connection failure was said already, with its code.
  if (owner_.failure_ && owner_.failure_->text == text) return;
  owner_.context_.err << "orvel-cli " << owner_.name_ << ": " << text << '\n';
}

void CliGroup::Terminal::status(std::string_view text) {
  owner_.terminal_.status(text);
  if (text == kReadyText || text == kGroupUnchangedText) outcome = text;
}

CliGroup::CliGroup(CliContext& context, std::string name, CliGroupOptions options)
    : context_(context),
      name_(std::move(name)),
      options_(options),
      terminal_(context.err, TerminalInput()) {
  terminal_.setVerbose(options.verbose);
}

CliGroup::~CliGroup() { Close(false); }

bool CliGroup::Open(const std::string& alias, const std::string& group) {
  if (!Prepare(alias, group)) return false;
  reading_->Open(OpenMode::StoredOnly);
  return true;
}

bool CliGroup::Prepare(const std::string& alias, const std::string& group,
                       XoverDialogHost* dialog) {
  session_ = OpenSession(context_);
  const int index = ProfileIndex(session_->main.profiles, alias);
  if (index < 0) {
    context_.err << "orvel-cli " << name_ << ": no profile \"" << alias << "\" in "
                 << session_->app.baseDir << "servers.ini\n";
    return false;
  }
  profile_ = session_->main.profiles[static_cast<std::size_t>(index)];
  const auto& profile = profile_;
  const Settings& s = session_->main.settings;
  NNTPOptions nntp;
  nntp.maxConnPerServer = s.maxConnPerServer;
  nntp.xferTimeOutSec = s.xferTimeOutMs / 1000;
  pool_ = std::make_unique<ConnectionPool>(platform_, clock_, prompter_, nntp);
  GroupListOptions listOptions = GroupListOptions::FromSettings(s, session_->app.baseDir);
  // The command opens one group: no list or counts of its own.
  listOptions.listWhenEmpty = false;
  listOptions.autoGetMsgCounts = false;
  listOptions.updateCountInterval = 0;
  list_ = std::make_unique<TGroupList>(profile, *pool_, clock_, prompter_, listHost_, listOptions);
  if (!list_->OpenServer()) return false;
  if (!list_->FindGroup(group)) added_ = list_->AddGroupsByName(group) > 0;
  TGrpInfo* record = list_->FindGroup(group);
  if (!record) {
    context_.err << "orvel-cli " << name_ << ": \"" << group << "\" cannot be a group name\n";
    return false;
  }
  GroupViewOptions viewOptions = GroupViewOptions::FromSettings(s);
  viewOptions.connections.maxRetries = options_.retries;
  GroupViewServices services{*pool_, clock_, prompter_, session_->main, session_->app.baseDir,
                             list_.get(), dialog ? dialog : this, &prefs_, &yesToAll_};
  scoring_ = std::make_unique<ScoringState>(
      ScoringSettings::FromSettings(s, session_->app.dataDir, session_->app.dateFormats),
      prompter_);
  scoring_->Load();
  reading_ = std::make_unique<GroupSession>(services, profile, *record, viewOptions,
                                            SessionOptions::FromSettings(s), scoring_.get());
  reading_->SetListener(this);
  return true;
}

bool CliGroup::ShowXoverForm(TfmXOVER& form) {
  form.SetAction(XoverAction::LoadWithRead);
  form.SetLimitChecked(false);
  form.SetEnd(rangeLast_);
  form.SetStart(rangeFirst_);
  return true;
}

void CliGroup::DownloadRange(std::int32_t first, std::int32_t last) {
  rangeFirst_ = first;
  rangeLast_ = last;
  View().Refresh(RefreshKind::Extended);
  Wait();
}

void CliGroup::AttachContent(ArticleView& viewer, const std::string& decodeDir) {
  BatchSettings batch = GroupContentOptions::FromSettings(settings(), View().Props()).batch;
  if (!decodeDir.empty()) batch.decodeDir = decodeDir;
  if (!mimeTypes_) mimeTypes_ = SystemMimeTypes();
  reading_->AttachContent(SessionContent{viewer, std::move(batch),
                                         MimeEnvironment{mimeTypes_.get(), nullptr}});
}

void CliGroup::Wait(const std::function<bool()>& done) {
  QEventLoop loop;
  waitLoop_ = &loop;
  waitDone_ = [this, &done] {
    const ConnectionSlots& connections = View().Slots();
    return !connections.AnyTaken() && !connections.ResumptionRunning() && (!done || done());
  };
  // What already holds ends the wait at once; the rest is asked again each
  // time the connections fall idle.
  stopEnabled(false);
  loop.exec();
  waitLoop_ = nullptr;
  waitDone_ = nullptr;
}

void CliGroup::stopEnabled(bool enabled) {
  if (enabled || !waitLoop_) return;
  // Asked from the event loop: whatever the release leads to (the next
  // request of a download or a batch) has started by then.
  QTimer::singleShot(0, waitLoop_, [this] {
    if (waitLoop_ && waitDone_ && waitDone_()) waitLoop_->quit();
  });
}

void CliGroup::progressText(std::string_view text) {
  if (text == kResumingText) failure_.reset();
  // Without --verbose a wait shows its first second only, not one line a second.
  const bool counting = isCountdownText(text) && isCountdownText(lastProgress_);
  const bool shown = options_.verbose || (isRetryText(text) && !counting);
  if (!text.empty() && text != lastProgress_ && shown) context_.err << text << '\n';
  lastProgress_.assign(text);
}

void CliGroup::connectionFailed(int code, std::string_view text) {
  failure_ = Failure{code, std::string(text)};
  context_.err << "orvel-cli " << name_ << ": " << text << " (" << code << ")\n";
}

bool CliGroup::Failed() const {
  return prompter_.failed || failure_ || !terminal_.unanswered().empty();
}

bool CliGroup::ExplainFailure() {
  if (!terminal_.unanswered().empty()) {
    context_.err << "orvel-cli " << name_ << ": "
                 << terminal_.UnansweredReason({}, kPasswordFlag)
                 << '\n';
    return true;
  }
  if (!failure_) return false;
  const int retries = reading_ ? View().Slots().Retries() : 0;
  context_.err << "orvel-cli " << name_ << ": gave up";
  if (retries > 0) context_.err << " after " << retries << (retries == 1 ? " retry" : " retries");
  context_.err << ": " << failure_->text << " (" << failure_->code << ")\n";
  return true;
}

std::string CliGroup::ReceivedText() const {
  const ConnectionPool::ReceivedBytes bytes =
      profile_ ? pool_->receivedBytes(*profile_) : ConnectionPool::ReceivedBytes{};
  return "wire: " + std::to_string(bytes.wire) + " bytes, " + std::to_string(bytes.plain) +
         " after decompression";
}

TArticle* CliGroup::FindNumber(std::int32_t number) const {
  for (TArticle* a : reading_->View().MasterList()) {
    if (a->Number == number) return a;
  }
  return nullptr;
}

TArticle* CliGroup::FindMessageId(std::string_view id) const {
  for (TArticle* a : reading_->View().MasterList()) {
    if (a->MessageID.view() == id) return a;
  }
  return nullptr;
}

bool CliGroup::Close(bool succeeded) {
  const bool failedBefore = std::exchange(prompter_.failed, false);
  const bool accepted = reading_ && View().Slots().GroupAccepted();
  if (reading_) reading_->Close();
  if (list_) {
    // The group this command added goes again when the command failed
    // before the server accepted it: nothing of the run is saved.
    listHost_.ignoreChanges = added_ && !succeeded && !accepted;
    list_->Close();
    list_.reset();
  }
  const bool closedWell = !prompter_.failed;
  prompter_.failed = prompter_.failed || failedBefore;
  return closedWell;
}

}  // namespace orvel::cli
