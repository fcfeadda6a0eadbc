#include "app/cli/cli_group.h"

#include <QEventLoop>
#include <QTimer>

namespace orvel::cli {

void CliGroup::Terminal::message(std::string_view text, MessageKind kind,
                                 std::string_view caption) {
  failed = failed || kind != MessageKind::Information;
  terminal_.message(text, kind, caption);
}

Button CliGroup::Terminal::ask(std::string_view, Buttons buttons, MessageKind, std::string_view) {
  return hasButton(buttons, Button::No) ? Button::No : Button::Cancel;
}

CliGroup::CliGroup(CliContext& context, std::string name, bool verbose)
    : context_(context),
      name_(std::move(name)),
      terminal_(context.err, Button::No),
      prompter_(terminal_) {
  terminal_.setVerbose(verbose);
}

CliGroup::~CliGroup() { Close(); }

bool CliGroup::Open(const std::string& alias, const std::string& group) {
  session_ = OpenSession(context_);
  const int index = ProfileIndex(session_->main.profiles, alias);
  if (index < 0) {
    context_.err << "orvel-cli " << name_ << ": no profile \"" << alias << "\" in "
                 << session_->app.baseDir << "servers.ini\n";
    return false;
  }
  const auto profile = session_->main.profiles[static_cast<std::size_t>(index)];
  const Settings& s = session_->main.settings;
  NNTPOptions nntp;
  nntp.maxConnPerServer = s.maxConnPerServer;
  nntp.xferTimeOutSec = s.xferTimeOutMs / 1000;
  pool_ = std::make_unique<ConnectionPool>(platform_, clock_, prompter_, nntp);
  GroupListOptions listOptions = GroupListOptions::FromSettings(s, session_->app.baseDir);
  listOptions.autoGetMsgCounts = false;
  listOptions.updateCountInterval = 0;
  list_ = std::make_unique<TGroupList>(profile, *pool_, clock_, prompter_, listHost_, listOptions);
  if (!list_->OpenServer()) return false;
  if (!list_->FindGroup(group)) list_->AddGroupsByName(group);
  TGrpInfo* record = list_->FindGroup(group);
  if (!record) {
    context_.err << "orvel-cli " << name_ << ": \"" << group << "\" cannot be a group name\n";
    return false;
  }
  GroupViewServices services{*pool_, clock_, prompter_, session_->main, session_->app.baseDir,
                             list_.get(), this, &prefs_, &yesToAll_};
  view_ = std::make_unique<TGroupView>(services, profile, *record, GroupViewOptions::FromSettings(s));
  view_->Open(OpenMode::StoredOnly);
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
  view_->Refresh(RefreshKind::Extended);
  Wait();
}

void CliGroup::Wait(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (view_->Slots().AnyTaken() || view_->Slots().ResumptionRunning()) return;
    if (!done || done()) loop.quit();
  });
  poll.start(10);
  loop.exec();
}

TArticle* CliGroup::FindNumber(std::int32_t number) const {
  for (TArticle* a : view_->MasterList()) {
    if (a->Number == number) return a;
  }
  return nullptr;
}

TArticle* CliGroup::FindMessageId(std::string_view id) const {
  for (TArticle* a : view_->MasterList()) {
    if (a->MessageID.view() == id) return a;
  }
  return nullptr;
}

void CliGroup::Close() {
  if (view_ && !view_->Closed()) view_->Close();
  if (list_) list_->Close();
  list_.reset();
}

}  // namespace orvel::cli
