#include "posting/queued_text.h"

#include "articles/header_utils.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string OneLine(std::string_view value, bool tabToo = false) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || (tabToo && c == '\t')) c = ' ';
  }
  return out;
}

void AddHeader(std::string& text, std::string_view name, std::string_view value) {
  text.append(name).append(": ").append(OneLine(value)).append(kCrLf);
}

bool PerAttachment(const ComposeMessage& m) {
  return m.attachments.size() > 1 && m.attachmentOptions.mode != AttachmentMode::Together;
}

std::uint64_t TotalSize(const std::vector<Attachment>& attachments) {
  std::uint64_t total = 0;
  for (const Attachment& a : attachments) total += a.size;
  return total;
}

std::string XIdValue(const TID& id) {
  const std::string* fields[] = {&id.name,         &id.Name,    &id.Email,  &id.PublicEmail,
                                 &id.Organization, &id.IDToken, &id.SigFile};
  std::string value;
  for (const std::string* f : fields) {
    if (f != fields[0]) value += '\t';
    value += OneLine(*f, true);
  }
  return value;
}

std::string XAttachmentsValue(const ComposeMessage& m, int part) {
  const AttachmentOptions& o = m.attachmentOptions;
  const int flags = (o.mime ? 1 : 0) | (o.showFileCount ? 2 : 0) | (o.yEnc ? 4 : 0);
  std::string value = format("%d;%d;%d;%llu", static_cast<int>(o.mode), flags, o.cutSize,
                             static_cast<unsigned long long>(TotalSize(m.attachments)));
  if (part >= 0) {
    value += format(";%d;%zu\t", part + 1, m.attachments.size());
    value += OneLine(m.attachments[static_cast<std::size_t>(part)].path, true);
  } else {
    value += ";-1;-1";
    for (const Attachment& a : m.attachments) value.append("\t").append(OneLine(a.path, true));
  }
  return value;
}

// The editor's lines with their line ends: LF after a soft line, CR LF after
// a hard one, nothing after the last.
void AppendBody(std::string& text, const std::vector<BodyLine>& body) {
  for (std::size_t i = 0; i < body.size(); ++i) {
    text += body[i].text;
    if (i + 1 < body.size()) text += body[i].soft ? "\n" : "\r\n";
  }
}

}  // namespace

unsigned XStatusBits(const ComposeMessage& m) {
  unsigned bits = 0;
  if (m.mail) bits |= kXStatusMailWanted;
  if (m.mailSent) bits |= kXStatusMailSent;
  if (m.post) bits |= kXStatusPostWanted;
  if (m.posted) bits |= kXStatusPosted;
  if (m.keepCopy) bits |= kXStatusKeepCopy;
  if (!m.wordWrap) bits |= kXStatusWordWrapOff;
  if (m.newThread) bits |= kXStatusNewThread;
  return bits;
}

int QueuedMessageCount(const ComposeMessage& m) {
  return PerAttachment(m) ? static_cast<int>(m.attachments.size()) : 1;
}

QueuedText BuildQueuedText(const ComposeMessage& m, DateTime now, int tz, int part) {
  if (!PerAttachment(m)) part = -1;
  const bool withBody = part <= 0 || m.attachmentOptions.mode == AttachmentMode::SeparatelyTextEach;
  QueuedText out;
  QueueRecord& r = out.record;
  std::string& t = out.text;

  AddHeader(t, "Subject", m.subject);
  r.subject = OneLine(m.subject);
  if (part >= 0) r.subject += "\n - " + m.attachments[static_cast<std::size_t>(part)].path;
  if (!m.groups.empty()) {
    r.groupField = OneLine(m.server + ":" + m.groups);
    AddHeader(t, "Newsgroups", r.groupField);
    if (!m.followUp.empty()) {
      AddHeader(t, "Followup-To", m.followUp);
      r.groupField += "!" + OneLine(m.followUp);
    }
  }
  if (!m.mailTo.empty()) {
    AddHeader(t, "To", m.mailTo);
    const FromParts to = ParseFrom(OneLine(m.mailTo));
    r.toName = to.name;
    r.toAddress = to.address;
  }
  if (!m.references.empty()) {
    AddHeader(t, "References", m.references);
    r.references = OneLine(m.references);
  }
  r.date = now;
  t.append(FormatDateHeader(0, tz, now)).append(kCrLf);
  r.lines = withBody ? static_cast<int>(m.body.size()) : 0;
  AddHeader(t, "Lines", std::to_string(r.lines));
  if (m.noArchive) AddHeader(t, "X-No-Archive", "yes");
  AddHeader(t, "X-ID", XIdValue(m.identity));
  r.flags = XStatusBits(m);
  AddHeader(t, "X-Status", std::to_string(r.flags));
  r.hasAttachments = !m.attachments.empty();
  if (r.hasAttachments) AddHeader(t, "X-Attachments", XAttachmentsValue(m, part));
  for (const PersonalHeader& h : m.personalHeaders) {
    if (h.on && !h.value.empty()) AddHeader(t, h.name, h.value);
  }
  // A blank line would end the headers early.
  for (const std::string& line : m.manualHeaders) {
    if (!trimView(line).empty()) t.append(OneLine(line)).append(kCrLf);
  }
  t += kCrLf;
  if (withBody) AppendBody(t, m.body);
  t += '\0';
  return out;
}

TArticle* NewQueueRecord(ArticleArena& arena, const QueueRecord& r) {
  TArticle* a = arena.New();
  StringPool& pool = arena.Strings();
  a->Subject = pool.Share(r.subject);
  a->SetFrom(pool, r.toName, r.toAddress);
  a->SetReferences(pool, r.references);
  a->Xref = pool.Store(r.groupField);
  a->Lines = r.lines;
  a->Date = r.date;
  a->Set(NodeFlag::MailWanted, (r.flags & kXStatusMailWanted) != 0);
  a->Set(NodeFlag::MailSent, (r.flags & kXStatusMailSent) != 0);
  a->Set(NodeFlag::PostWanted, (r.flags & kXStatusPostWanted) != 0);
  a->Set(NodeFlag::Posted, (r.flags & kXStatusPosted) != 0);
  a->Set(NodeFlag::HasAttachments, r.hasAttachments);
  return a;
}

}  // namespace orvel
