#include "posting/send_journal.h"

#include <cstring>
#include <filesystem>
#include <vector>

#include "core/atomic_file.h"
#include "core/text.h"

namespace orvel {

namespace {

struct JournalLine {
  FolderEntryKey key;
  PostResume resume;
};

// The date's exact bits, so that the key matches the record's again.
std::string dateText(DateTime date) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &date, sizeof bits);
  return format("%016llx", static_cast<unsigned long long>(bits));
}

std::optional<DateTime> parseDate(std::string_view text) {
  if (text.size() != 16) return std::nullopt;
  std::uint64_t bits = 0;
  for (char c : text) {
    const int digit = hexDigitValue(c);
    if (digit < 0) return std::nullopt;
    bits = bits << 4 | static_cast<unsigned>(digit);
  }
  DateTime date = 0;
  std::memcpy(&date, &bits, sizeof date);
  return date;
}

// A subject holds anything but a NUL; TAB, CR, LF and "%" are escaped.
std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
      out += format("%%%02X", static_cast<unsigned char>(c));
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<JournalLine> readLines(const std::string& path) {
  std::vector<JournalLine> lines;
  std::string data;
  if (!ReadWholeFile(path, data)) return lines;
  for (const std::string& line : splitChar(data, '\n')) {
    const std::vector<std::string> f = splitChar(line, '\t');
    if (f.size() != 4) continue;
    const auto date = parseDate(f[0]);
    const auto accepted = parseDecimal(f[1]);
    if (!date || !accepted || *accepted < 0) continue;
    lines.push_back({{*date, unescapeHex(f[3], '%')}, {static_cast<int>(*accepted), f[2]}});
  }
  return lines;
}

}  // namespace

std::string SendJournalPath(const std::string& outboxBodyPath) {
  const std::size_t dot = outboxBodyPath.rfind('.');
  const std::size_t slash = outboxBodyPath.find_last_of("/\\");
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? outboxBodyPath.substr(0, dot) : outboxBodyPath) + ".sending";
}

PostResume SendJournal::Resume(const FolderEntryKey& key) const {
  for (const JournalLine& line : readLines(path_)) {
    if (line.key == key) return line.resume;
  }
  return {};
}

bool SendJournal::Starting(const FolderEntryKey& key, int article, const std::string& messageId) {
  const PostResume resume{article, messageId};
  return store(key, &resume);
}

bool SendJournal::Accepted(const FolderEntryKey& key, int article) {
  const PostResume resume{article + 1, {}};
  return store(key, &resume);
}

void SendJournal::Forget(const FolderEntryKey& key) { store(key, nullptr); }

bool SendJournal::store(const FolderEntryKey& key, const PostResume* resume) {
  std::vector<JournalLine> lines = readLines(path_);
  std::erase_if(lines, [&](const JournalLine& line) { return line.key == key; });
  if (resume) lines.push_back({key, *resume});
  std::string data;
  for (const JournalLine& line : lines) {
    data += dateText(line.key.date) + '\t' + std::to_string(line.resume.accepted) + '\t' +
            line.resume.pendingMessageId + '\t' + escape(line.key.subject) + '\n';
  }
  if (data.empty()) {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    return !ec;
  }
  return SaveFileAtomically(path_, data);
}

}  // namespace orvel
