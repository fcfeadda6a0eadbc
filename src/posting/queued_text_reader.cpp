// Reading a queued message text back into the message it was built from.

#include <algorithm>

#include "core/text.h"
#include "posting/queued_text.h"

namespace orvel {

std::optional<std::vector<HeaderLine>> SplitHeaders(std::string_view text, std::size_t& bodyStart,
                                                    std::string& error) {
  std::vector<HeaderLine> headers;
  std::size_t pos = 0;
  while (true) {
    const std::size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) {
      error = "no empty line after the headers";
      return std::nullopt;
    }
    std::string_view line = text.substr(pos, lf - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = lf + 1;
    if (line.empty()) break;
    if ((line[0] == ' ' || line[0] == '\t') && !headers.empty()) {
      headers.back().value.append(line);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
      error = "not a header line: " + std::string(line);
      return std::nullopt;
    }
    std::string_view value = line.substr(colon + 1);
    if (!value.empty() && value[0] == ' ') value.remove_prefix(1);
    headers.push_back({std::string(line.substr(0, colon)), std::string(value)});
  }
  bodyStart = pos;
  return headers;
}

namespace {

// Lines split at LF; a line that ended in CR LF is a hard line, one that
// ended in a lone LF a soft one, and the last line ends the text.
std::vector<BodyLine> SplitBody(std::string_view body) {
  std::vector<BodyLine> lines;
  if (body.empty()) return lines;
  std::size_t pos = 0;
  while (true) {
    const std::size_t lf = body.find('\n', pos);
    if (lf == std::string_view::npos) {
      lines.push_back({std::string(body.substr(pos)), false});
      return lines;
    }
    std::string_view line = body.substr(pos, lf - pos);
    const bool hard = !line.empty() && line.back() == '\r';
    if (hard) line.remove_suffix(1);
    lines.push_back({std::string(line), !hard});
    pos = lf + 1;
  }
}

std::optional<unsigned> ParseUnsigned(std::string_view text) {
  const std::optional<std::int64_t> n = parseDecimal(trimView(text));
  if (!n || *n < 0 || *n > 0x7FFFFFFF) return std::nullopt;
  return static_cast<unsigned>(*n);
}

bool ReadXId(std::string_view value, TID& id) {
  const std::vector<std::string> f = splitChar(value, '\t');
  if (f.size() != 7) return false;
  id.name = f[0];
  id.Name = f[1];
  id.Email = f[2];
  id.PublicEmail = f[3];
  id.Organization = f[4];
  id.IDToken = f[5];
  id.SigFile = f[6];
  return true;
}

void ReadXStatus(unsigned bits, ComposeMessage& m) {
  m.mailSent = bits & kXStatusMailSent;
  m.posted = bits & kXStatusPosted;
  m.mail = (bits & kXStatusMailWanted) && !m.mailSent;
  m.post = (bits & kXStatusPostWanted) && !m.posted;
  m.keepCopy = bits & kXStatusKeepCopy;
  m.wordWrap = !(bits & kXStatusWordWrapOff);
  m.newThread = bits & kXStatusNewThread;
}

// "mode;flags;cut;total;index;count" then the file names after TABs.
bool ReadXAttachments(std::string_view value, const AttachmentSizer& sizeOf, ComposeMessage& m) {
  std::vector<std::string> names = splitChar(value, '\t');
  const std::vector<std::string> numbers = splitChar(names.front(), ';');
  names.erase(names.begin());
  if (numbers.size() != 6 || names.empty()) return false;
  std::optional<unsigned> n[4];
  for (int i = 0; i < 4; ++i) {
    n[i] = ParseUnsigned(numbers[static_cast<std::size_t>(i)]);
    if (!n[i]) return false;
  }
  if (*n[0] > static_cast<unsigned>(AttachmentMode::SeparatelyTextEach) || *n[1] > 7) return false;
  AttachmentOptions& o = m.attachmentOptions;
  o.mode = static_cast<AttachmentMode>(*n[0]);
  o.mime = *n[1] & 1;
  o.showFileCount = *n[1] & 2;
  o.yEnc = *n[1] & 4;
  o.cutSize = static_cast<int>(*n[2]);
  for (std::string& name : names) {
    std::optional<std::uint64_t> size;
    if (sizeOf) size = sizeOf(name);
    m.attachments.push_back({std::move(name), size.value_or(0)});
  }
  return true;
}

// A header with a configured row's name fills the first row of that name
// not filled yet.
bool FillRow(const HeaderLine& h, std::vector<PersonalHeader>& rows, std::vector<bool>& filled) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!filled[i] && equalsNoCase(rows[i].name, h.name)) {
      rows[i] = {true, rows[i].name, h.value};
      filled[i] = true;
      return true;
    }
  }
  return false;
}

bool IsOwnHeader(std::string_view name) {
  static constexpr std::string_view kOwn[] = {
      "subject", "newsgroups", "followup-to", "to",       "references",
      "date",    "lines",      "x-id",        "x-status", "x-attachments",
  };
  return std::any_of(std::begin(kOwn), std::end(kOwn),
                     [&](std::string_view own) { return equalsNoCase(own, name); });
}

bool ReadOwnHeader(const HeaderLine& h, const AttachmentSizer& sizeOf, ComposeMessage& m,
                   std::string& error) {
  const std::string name = lowerAscii(h.name);
  if (name == "subject") {
    m.subject = h.value;
  } else if (name == "newsgroups") {
    // Groups never hold a colon, a server name may ("host:port").
    const std::size_t colon = h.value.rfind(':');
    m.server = colon == std::string::npos ? std::string() : h.value.substr(0, colon);
    m.groups = colon == std::string::npos ? h.value : h.value.substr(colon + 1);
  } else if (name == "followup-to") {
    m.followUp = h.value;
  } else if (name == "to") {
    m.mailTo = h.value;
  } else if (name == "references") {
    m.references = h.value;
  } else if (name == "x-id") {
    if (!ReadXId(h.value, m.identity)) error = "X-ID does not hold seven fields";
  } else if (name == "x-status") {
    const std::optional<unsigned> bits = ParseUnsigned(h.value);
    if (!bits) {
      error = "X-Status is not a number: " + h.value;
    } else {
      ReadXStatus(*bits, m);
    }
  } else if (name == "x-attachments") {
    if (!ReadXAttachments(h.value, sizeOf, m)) error = "unreadable X-Attachments: " + h.value;
  }
  return error.empty();
}

}  // namespace

std::optional<ComposeMessage> ReadQueuedText(std::string_view text,
                                             const std::vector<PersonalHeader>& configuredRows,
                                             const AttachmentSizer& sizeOf, std::string& error) {
  error.clear();
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  std::size_t bodyStart = 0;
  const std::optional<std::vector<HeaderLine>> headers = SplitHeaders(text, bodyStart, error);
  if (!headers) return std::nullopt;

  ComposeMessage m;
  m.personalHeaders = configuredRows;
  std::vector<bool> filled(configuredRows.size(), false);
  for (const HeaderLine& h : *headers) {
    if (IsOwnHeader(h.name)) {
      if (!ReadOwnHeader(h, sizeOf, m, error)) return std::nullopt;
    } else if (equalsNoCase(h.name, "x-no-archive") && equalsNoCase(h.value, "yes")) {
      m.noArchive = true;
    } else if (FillRow(h, m.personalHeaders, filled)) {
      continue;
    } else if (equalsNoCase(h.name, "supersedes")) {
      m.personalHeaders.push_back({true, h.name, h.value});
      filled.push_back(true);
    } else {
      m.manualHeaders.push_back(h.name + ": " + h.value);
    }
  }
  // A configured row the text did not fill was off, or had no value.
  for (std::size_t i = 0; i < configuredRows.size(); ++i) {
    if (!filled[i] && !m.personalHeaders[i].value.empty()) m.personalHeaders[i].on = false;
  }
  m.body = SplitBody(text.substr(bodyStart));
  return m;
}

bool IsQueuedText(std::string_view text) {
  std::size_t bodyStart = 0;
  std::string error;
  const auto headers = SplitHeaders(text, bodyStart, error);
  return headers && std::any_of(headers->begin(), headers->end(), [](const HeaderLine& h) {
           return equalsNoCase(h.name, "X-ID");
         });
}

}  // namespace orvel
