#include "posting/article_header.h"

#include "articles/header_utils.h"
#include "core/text.h"

namespace orvel {

namespace {

bool isMimeHeader(std::string_view name) {
  static constexpr std::string_view kNames[] = {"Mime-Version", "Content-Type",
                                                "Content-Transfer-Encoding", "Content-Disposition"};
  for (std::string_view known : kNames) {
    if (equalsNoCase(name, known)) return true;
  }
  return false;
}

bool namesReplyTo(const PostJob& job) {
  for (const auto& [name, value] : job.extraHeaders) {
    if (equalsNoCase(name, "Reply-To")) return true;
  }
  return false;
}

void addFolded(std::vector<std::string>& lines, const std::string& line) {
  for (std::string& folded : FoldGroupsLine(line)) lines.push_back(std::move(folded));
}

}  // namespace

std::vector<std::string> ArticleHeaderLines(const PostJob& job, PostTarget target,
                                            const WriterEnvironment& env,
                                            const ArticleHeaderParts& parts) {
  const bool news = target == PostTarget::News;
  const TID& id = job.identity;
  std::vector<std::string> lines;
  if (!job.groups.empty()) {
    if (news) {
      addFolded(lines, "Newsgroups: " + job.groups);
    } else {
      lines.push_back(std::string("Posted-and-Mailed: ") + (job.postWanted ? "yes" : "no"));
    }
  }
  lines.push_back(parts.subjectLine);
  lines.push_back("From: " + FormatAddress(id.Name, news ? id.PublicEmail : id.Email));
  if (job.referencesAllowed && !job.references.empty()) {
    lines.push_back(BuildReferencesLine(job.references));
  }
  if (env.generateDateHeader) lines.push_back(FormatDateHeader(0, env.tz, env.now));
  if (!id.Organization.empty()) lines.push_back("Organization: " + id.Organization);
  if (news) {
    if (!parts.messageId.empty()) {
      lines.push_back("Message-ID: " + parts.messageId);
      if (!parts.cancelLock.empty()) lines.push_back("Cancel-Lock: " + parts.cancelLock);
    }
    if (!job.followUp.empty()) addFolded(lines, "Followup-To: " + job.followUp);
  }
  lines.emplace_back(kUserAgentLine);
  if (!news) lines.push_back("To: " + FormatAddress(job.toName, job.toAddress));
  if (job.noArchive) lines.emplace_back("X-No-Archive: yes");
  for (const auto& [name, value] : job.extraHeaders) {
    if (parts.dropMimeHeaders && isMimeHeader(name)) continue;
    lines.push_back(name + ": " + value);
  }
  if (news && env.setReplyToInPost && !id.Email.empty() && !namesReplyTo(job)) {
    lines.push_back("Reply-To: " + id.Email);
  }
  lines.insert(lines.end(), parts.mime.begin(), parts.mime.end());
  if (parts.endsHeader) lines.emplace_back();
  return lines;
}

}  // namespace orvel
