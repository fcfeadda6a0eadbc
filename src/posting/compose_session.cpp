#include "posting/compose_session.h"

#include <algorithm>
#include <filesystem>

#include "articles/article_arena.h"
#include "config/group_props.h"
#include "config/main_state.h"
#include "core/text.h"
#include "core/wrap_text.h"
#include "posting/attachment_options.h"
#include "posting/attribution.h"
#include "posting/personal_headers.h"
#include "posting/quoting.h"
#include "posting/signature.h"

namespace orvel {

namespace {

constexpr std::string_view kDefaultName = "Your name";
constexpr std::string_view kSupersedes = "Supersedes";

std::string_view firstGroup(std::string_view groups) {
  return trimView(groups.substr(0, groups.find(',')));
}

// "Name <address>" when there is a name, else the address.
std::string mailAddress(std::string_view name, std::string_view address) {
  if (name.empty()) return std::string(address);
  return std::string(name) + " <" + std::string(address) + ">";
}

std::string joinReferences(std::string_view references, std::string_view messageId) {
  std::string out(trimView(references));
  if (!messageId.empty()) {
    if (!out.empty()) out += ' ';
    out += messageId;
  }
  return out;
}

std::vector<BodyLine> splitBody(std::string_view text) {
  std::vector<BodyLine> lines;
  for (;;) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({std::string(line), false});
    if (lf == std::string_view::npos) return lines;
    text.remove_prefix(lf + 1);
  }
}

std::size_t firstNonBlank(const std::vector<BodyLine>& body) {
  const auto it = std::find_if(body.begin(), body.end(),
                               [](const BodyLine& l) { return !trimView(l.text).empty(); });
  return static_cast<std::size_t>(it - body.begin());
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  return size;
}

}  // namespace

ComposeSession::ComposeSession(ComposeEnvironment environment, Prompter& prompter)
    : environment_(std::move(environment)), prompter_(prompter) {
  message_.server = environment_.profile ? environment_.profile->alias : std::string();
  message_.keepCopy = environment_.main->settings.keepCopies;
  message_.attachmentOptions = DefaultAttachmentOptions(environment_.main->settings);
}

// --- filling

void ComposeSession::OpenNew(std::string_view group) {
  kind_ = ComposeKind::New;
  caption_ = "Post to: " + std::string(group);
  message_.groups = std::string(group);
  message_.post = true;
  applyIdentity(group);
  loadPersonalRows(group);
  message_.body = {BodyLine{}};
  appendSignature();
  message_.modified = false;
}

void ComposeSession::OpenCopy(const AnsweredArticle& article, std::string_view group) {
  const ArticleHeaders& h = article.headers;
  const std::string groups = h.newsgroups.empty() ? std::string(group) : h.newsgroups;
  OpenNew(firstGroup(groups));  // identity and rows of the first group
  message_.groups = groups;
  caption_ = "Post to: " + groups;
  message_.subject = h.subject;
  message_.followUp = h.followupTo;
  message_.references = h.references;
  // The article's own text, signature included, replaces the new one's.
  SetBodyText(article.body);
  message_.hasSignature = std::any_of(message_.body.begin(), message_.body.end(),
                                      [](const BodyLine& l) { return l.text == "-- "; });
  message_.modified = false;
}

void ComposeSession::OpenAnswer(ComposeKind kind, const AnsweredArticle& article,
                                std::string_view group) {
  kind_ = kind;
  deriveSubject(article);
  deriveTargets(article);
  const std::string_view propsGroup = message_.groups.empty() ? group : firstGroup(message_.groups);
  applyIdentity(propsGroup);
  loadPersonalRows(propsGroup);
  if (kind == ComposeKind::Supersede) {
    const std::string& id = article.headers.messageId;
    auto row = std::find_if(message_.personalHeaders.begin(), message_.personalHeaders.end(),
                            [](const PersonalHeader& h) { return equalsNoCase(h.name, kSupersedes); });
    if (row == message_.personalHeaders.end()) {
      message_.personalHeaders.push_back({true, std::string(kSupersedes), id});
    } else {
      row->value = id;
      orvel::SetPersonalRow(message_.personalHeaders,
                            static_cast<std::size_t>(row - message_.personalHeaders.begin()), true);
    }
  }
  SetBodyText(derivedBody(article));
  caret_ = kind == ComposeKind::Forward ? 0 : BodyText().size();
  if (kind == ComposeKind::Forward) message_.wordWrap = false;
  if (kind != ComposeKind::Supersede) appendSignature();
  noArchiveHint_ = article.headers.xNoArchive;
  message_.modified = false;
}

bool ComposeSession::OpenQueued(std::string_view text, std::optional<FolderEntryRef> from,
                                std::string& error) {
  // The rows depend on the groups, which the text gives: read it once for
  // them, then with the rows of the first group.
  const auto sizer = [](const std::string& path) { return fileSize(path); };
  std::optional<ComposeMessage> read = ReadQueuedText(text, {}, sizer, error);
  if (!read) return false;
  loadPersonalRows(firstGroup(read->groups));
  read = ReadQueuedText(text, message_.personalHeaders, sizer, error);
  if (!read) return false;
  // The options travel only with attachments; otherwise the defaults stand.
  if (read->attachments.empty()) read->attachmentOptions = message_.attachmentOptions;
  message_ = std::move(*read);
  kind_ = ComposeKind::New;
  const int profile = ProfileIndex(environment_.main->profiles, message_.server);
  if (profile >= 0) environment_.profile = environment_.main->profiles[static_cast<std::size_t>(profile)];
  caption_ = message_.groups.empty() ? "Reply to: " + message_.subject
                                     : "Post to: " + message_.groups;
  message_.hasSignature =
      std::any_of(message_.body.begin(), message_.body.end(),
                  [](const BodyLine& l) { return l.text == "-- "; });
  message_.modified = false;
  reopenedFrom_ = std::move(from);
  return true;
}

void ComposeSession::applyIdentity(std::string_view group) {
  MainState& main = *environment_.main;
  TID id = main.identities.empty() ? TID{} : main.identities.front();
  if (environment_.profile) ResolveIdentity(main, *environment_.profile, firstGroup(group), id);
  message_.identity = std::move(id);
  needsIdentitySetUp_ = message_.identity.Name == kDefaultName;
  if (needsIdentitySetUp_) prompter_.message(kEnterNameText, MessageKind::Information);
}

void ComposeSession::loadPersonalRows(std::string_view group) {
  GroupProps props;
  ResolveGroupProps(*environment_.main, firstGroup(group), props);
  PersonalRows rows = PersonalHeaderRows(props.customHeaders);
  message_.personalHeaders = std::move(rows.rows);
  message_.noArchive = rows.noArchive;
}

void ComposeSession::appendSignature() {
  std::string path = message_.identity.SigFile;
  if (path.empty()) return;
  if (path.front() != '/') path = environment_.baseDir + path;
  const std::string block = SignatureBlock(path);
  if (block.empty()) return;
  SetBodyText(BodyText() + block);
  message_.hasSignature = true;
}

void ComposeSession::deriveSubject(const AnsweredArticle& article) {
  const std::string& subject = article.headers.subject;
  switch (kind_) {
    case ComposeKind::Forward:
      caption_ = "Forward: " + subject;
      message_.subject = "Fw: " + subject;
      return;
    case ComposeKind::Supersede:
      caption_ = "Supersede: " + subject;
      message_.subject = subject;
      return;
    default:
      message_.subject = subject.compare(0, 3, "Re:") == 0 ? subject : "Re: " + subject;
      caption_ = (kind_ == ComposeKind::Mail ? "Reply to: " : "FollowUp to: ") + subject;
  }
}

void ComposeSession::deriveTargets(const AnsweredArticle& article) {
  const ArticleHeaders& h = article.headers;
  switch (kind_) {
    case ComposeKind::FollowUp:
    case ComposeKind::FollowUpMail:
      message_.post = true;
      message_.groups = h.followupTo.empty() ? h.newsgroups : h.followupTo;
      if (equalsNoCase(trimView(h.followupTo), "poster")) {
        prompter_.message(kPosterOnlyText, MessageKind::Information);
        message_.post = false;
        message_.groups.clear();
        message_.mail = true;
      }
      message_.mail = message_.mail || kind_ == ComposeKind::FollowUpMail;
      break;
    case ComposeKind::Mail: message_.mail = true; break;
    case ComposeKind::Forward: message_.mail = true; break;
    case ComposeKind::Supersede:
      message_.post = true;
      message_.groups = h.newsgroups;
      break;
    case ComposeKind::New: break;
  }
  if (message_.mail && kind_ != ComposeKind::Forward) {
    message_.mailTo = h.replyToAddress.empty() ? mailAddress(h.fromName, h.fromAddress)
                                               : mailAddress(h.replyToName, h.replyToAddress);
  }
  if (kind_ == ComposeKind::Supersede) {
    message_.references = h.references;
  } else if (kind_ != ComposeKind::Forward) {
    message_.references = joinReferences(h.references, h.messageId);
  }
}

std::string ComposeSession::derivedBody(const AnsweredArticle& article) const {
  const Settings& settings = environment_.main->settings;
  const std::string& source = article.selection.empty() ? article.body : article.selection;
  std::string body;
  if (message_.post && message_.mail) body.append(kMailCopyLine).append("\r\n\r\n");
  if (kind_ == ComposeKind::Supersede) return body + article.body;

  GroupProps props;
  ResolveGroupProps(*environment_.main, firstGroup(message_.groups), props);
  const std::string& format = kind_ == ComposeKind::Forward ? props.forwAttrib
                              : message_.post              ? props.newsAttrib
                                                           : props.mailAttrib;
  const ArticleHeaders& h = article.headers;
  body += ExpandAttribution(
      format, {h.fromName, h.fromAddress, h.from, h.newsgroups, h.messageId, h.date, environment_.tz},
      environment_.dates);

  if (kind_ == ComposeKind::Forward) {
    if (article.selection.empty()) body += article.headerText;
    return body.append(source).append(kForwardEnd);
  }
  QuoteRules rules(settings.quoteRegex, settings.sigDashRegex);
  // An empty first line: the quoting starts at once (no headers to skip).
  std::string text;
  text.reserve(source.size() + 2);
  text.append("\r\n").append(source);
  QuotedReply quoted = QuoteForReply(text, rules, article.selection.empty(), settings.wrapColumn);
  if (quoted.overLongLines && settings.autoRewrap) {
    quoted.text = WrapText(quoted.text, false, settings.wrapColumn - 4, QuoteMarks(settings.quoteChars));
  }
  return body + quoted.text;
}

// --- edits

std::string ComposeSession::BodyText() const {
  std::string text;
  std::size_t size = 0;
  for (const BodyLine& l : message_.body) size += l.text.size() + 2;
  text.reserve(size);
  for (std::size_t i = 0; i < message_.body.size(); ++i) {
    text += message_.body[i].text;
    if (i + 1 < message_.body.size() && !message_.body[i].soft) text += "\r\n";
  }
  return text;
}

void ComposeSession::SetBody(std::vector<BodyLine> lines) {
  message_.body = std::move(lines);
  if (message_.body.empty()) message_.body.emplace_back();
}

void ComposeSession::SetBodyText(std::string_view text) { message_.body = splitBody(text); }

bool ComposeSession::ChangeIdentity(std::string_view identityName) {
  const TID* id = FindIdentity(environment_.main->identities, identityName);
  if (!id) return false;
  message_.identity = *id;
  const bool modified = message_.modified;
  SetBodyText(WithoutSignature(BodyText()));
  message_.hasSignature = false;
  appendSignature();
  message_.modified = modified;
  return true;
}

void ComposeSession::ChangeProfile(std::shared_ptr<TProfile> profile) {
  environment_.profile = std::move(profile);
  message_.server = environment_.profile ? environment_.profile->alias : std::string();
}

bool ComposeSession::SetPost(bool on) {
  message_.post = on;
  return placeMailCopyLine();
}

bool ComposeSession::SetMail(bool on) {
  message_.mail = on;
  return placeMailCopyLine();
}

bool ComposeSession::placeMailCopyLine() {
  std::vector<BodyLine>& body = message_.body;
  const std::size_t first = firstNonBlank(body);
  const bool present = first < body.size() && body[first].text == kMailCopyLine;
  if (message_.post && message_.mail) {
    if (present) return false;
    body.insert(body.begin(), BodyLine{std::string(kMailCopyLine), false});
    return true;
  }
  if (!present) return false;
  const auto at = body.begin() + static_cast<std::ptrdiff_t>(first);
  const bool blankAfter = first + 1 < body.size() && body[first + 1].text.empty();
  body.erase(at, at + (blankAfter ? 2 : 1));
  if (body.empty()) body.emplace_back();
  return true;
}

void ComposeSession::SetPersonalRow(std::size_t index, bool on) {
  orvel::SetPersonalRow(message_.personalHeaders, index, on);
}

bool ComposeSession::Rewrap(bool join) {
  const Settings& settings = environment_.main->settings;
  const std::string before = BodyText();
  const std::string after =
      WrapText(before, join, settings.wrapColumn - 4, QuoteMarks(settings.quoteChars));
  if (after == before) return false;
  SetBodyText(after);
  return true;
}

// --- sending and saving

SendStep ComposeSession::PrepareSend(const SendCheckContext& context, const GroupPicker& pick) {
  SendCheckContext checks = context;
  checks.badWrapAccepted = badWrapAccepted_;
  const SendDecision decision = ConfirmSend(SendChecks(message_, checks), prompter_);
  badWrapAccepted_ = badWrapAccepted_ || decision.badWrapAccepted;
  if (decision.verdict == SendVerdict::RewrapAndStop) {
    Rewrap(false);
    return SendStep::Rewrapped;
  }
  if (decision.verdict == SendVerdict::Stop) return SendStep::Back;

  message_ = PreparedForSend(message_);
  const int prompt = environment_.main->settings.followupPrompt;
  if (message_.post && message_.followUp.empty() && HasCommaRuns(message_.groups, prompt)) {
    const std::optional<std::string> chosen = pick(message_.groups);
    if (!chosen) return SendStep::Back;
    message_.followUp = *chosen;
  }
  if (TotalAttachmentBytes(message_.attachments) > kLargeAttachmentBytes && message_.attachments.size() > 1) {
    switch (prompter_.ask(kLargeFileQuestion, kYesNoCancel)) {
      case Button::Yes: return SendStep::SaveThenSend;
      case Button::No: return SendStep::Send;
      default: return SendStep::Back;
    }
  }
  return SendStep::Send;
}

std::vector<QueuedText> ComposeSession::QueuedTexts(DateTime now) const {
  std::vector<QueuedText> texts;
  const int count = QueuedMessageCount(message_);
  if (count == 1) {
    texts.push_back(BuildQueuedText(message_, now, environment_.tz, -1));
  } else {
    for (int part = 0; part < count; ++part) {
      texts.push_back(BuildQueuedText(message_, now, environment_.tz, part));
    }
  }
  return texts;
}

bool ComposeSession::SaveTo(const std::string& bodyPath, std::uint8_t kind, DateTime now,
                            bool replace) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(bodyPath).parent_path(), ec);
  TFolder folder(bodyPath, kind);
  folder.TZ = environment_.tz;
  folder.prompter = &prompter_;
  ArticleArena arena;
  std::vector<FolderEntryKey> saved;
  for (const QueuedText& queued : QueuedTexts(now)) {
    TArticle* record = NewQueueRecord(arena, queued.record);
    const std::string_view text = queued.text;
    if (!folder.AddArticle(*record, &text, queued.record.groupField)) return false;
    saved.push_back({queued.record.date, queued.record.subject});
  }
  if (!replace) return true;
  // The old entries go only once the new ones are stored; an older entry
  // with the same key comes first in the folder, so it is the one deleted.
  for (const FolderEntryKey& key : savedAs_) DeleteFolderEntry(savedPath_, savedKind_, key);
  if (reopenedFrom_) {
    DeleteFolderEntry(reopenedFrom_->bodyPath, reopenedFrom_->kind, reopenedFrom_->key);
    reopenedFrom_.reset();
  }
  savedPath_ = bodyPath;
  savedKind_ = kind;
  savedAs_ = std::move(saved);
  message_.modified = false;
  return true;
}

bool ComposeSession::ConfirmClose(DateTime now) {
  const bool partlySent = message_.mailSent || message_.posted;
  if (partlySent) {
    if (message_.keepCopy) SaveTo(environment_.sentPath, kStoreSent, now, false);
    return true;
  }
  if (!message_.modified) return true;
  switch (prompter_.ask(kMessageChangedQuestion, kYesNoCancel)) {
    case Button::Yes: return SaveToOutbox(now);
    case Button::No: return true;
    default: return false;
  }
}

}  // namespace orvel
