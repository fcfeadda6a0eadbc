#include "posting/post_send.h"

#include <filesystem>

#include "articles/header_utils.h"
#include "core/text.h"
#include "posting/queued_text.h"

namespace orvel {

namespace {

const std::string* headerValue(const std::vector<HeaderLine>& headers, std::string_view name) {
  for (const HeaderLine& h : headers) {
    if (equalsNoCase(h.name, name)) return &h.value;
  }
  return nullptr;
}

// The numbers of X-Attachments the message itself does not keep: the total
// size when composed and the place in a per-attachment series.
bool readSeries(const std::string& value, std::uint64_t& total, PostJob& job) {
  const std::vector<std::string> numbers = splitChar(value.substr(0, value.find('\t')), ';');
  if (numbers.size() != 6) return false;
  const auto bytes = parseDecimal(numbers[3]);
  const auto index = parseDecimal(numbers[4]);
  const auto count = parseDecimal(numbers[5]);
  if (!bytes || *bytes < 0 || !index || !count) return false;
  total = static_cast<std::uint64_t>(*bytes);
  job.seriesIndex = static_cast<int>(*index);
  job.seriesCount = static_cast<int>(*count);
  return true;
}

// The attachments as they are on disk now.
bool readFiles(const ComposeMessage& m, std::uint64_t composedTotal, PostJob& job,
               std::string& error) {
  std::uint64_t total = 0;
  for (const Attachment& a : m.attachments) {
    std::error_code ec;
    const std::filesystem::path path(a.path);
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) {
      error = "Fichier introuvable: " + a.path;
      return false;
    }
    total += size;
    if (size > 0) job.files.push_back({a.path, path.filename().string(), size});
  }
  // A message of a per-attachment series carries one file but the total of
  // all: only a whole message can be checked for a changed size.
  if (job.seriesIndex < 0 && total != composedTotal) {
    std::string names;
    for (const Attachment& a : m.attachments) names += (names.empty() ? "" : ", ") + a.path;
    error = "Fichier modifié depuis la composition du message: " + names;
    return false;
  }
  return true;
}

std::vector<std::pair<std::string, std::string>> extraHeaders(const ComposeMessage& m) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const PersonalHeader& h : m.personalHeaders) {
    if (h.on && !h.value.empty()) out.emplace_back(h.name, h.value);
  }
  for (const std::string& line : m.manualHeaders) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    out.emplace_back(line.substr(0, colon), std::string(trimView(std::string_view(line).substr(colon + 1))));
  }
  return out;
}

}  // namespace

std::optional<PostSend> ReadPostSend(std::string_view text, std::optional<unsigned> targets,
                                     std::string& error) {
  std::size_t bodyStart = 0;
  const auto headers = SplitHeaders(text, bodyStart, error);
  if (!headers) return std::nullopt;
  const std::optional<ComposeMessage> m = ReadQueuedText(text, {}, {}, error);
  if (!m) return std::nullopt;

  PostSend send;
  send.server = m->server;
  const unsigned own = XStatusBits(*m);
  send.flags = (own & ~kXStatusTargets) | (targets.value_or(own) & kXStatusTargets);
  PostJob& job = send.job;
  job.identity = m->identity;
  job.groups = m->groups;
  job.followUp = m->followUp;
  job.subject = m->subject.substr(0, m->subject.find('\n'));
  for (const BodyLine& line : m->body) job.body.push_back(line.text);
  // A message whose text is one empty line has no text to send.
  if (job.body.size() == 1 && job.body.front().empty()) job.body.clear();
  job.references = m->references;
  job.referencesAllowed = !m->newThread;
  job.noArchive = m->noArchive;
  job.extraHeaders = extraHeaders(*m);
  FromParts to = ParseFrom(m->mailTo);
  job.toName = std::move(to.name);
  job.toAddress = std::move(to.address);
  job.postWanted = (send.flags & kXStatusPostWanted) != 0;
  if (!m->attachments.empty()) {
    const AttachmentOptions& o = m->attachmentOptions;
    job.option = static_cast<int>(o.mode);
    job.mime = o.mime;
    job.yEnc = o.yEnc;
    job.showFileCount = o.showFileCount;
    job.cutSize = o.cutSize;
    std::uint64_t composedTotal = 0;
    const std::string* value = headerValue(*headers, "X-Attachments");
    if (!value || !readSeries(*value, composedTotal, job)) {
      error = "unreadable X-Attachments";
      return std::nullopt;
    }
    if (!readFiles(*m, composedTotal, job, error)) return std::nullopt;
  }
  return send;
}

}  // namespace orvel
