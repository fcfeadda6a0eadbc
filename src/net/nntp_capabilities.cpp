#include "net/nntp_capabilities.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

namespace {

// The words of a line, split at spaces and tabs.
std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  while (true) {
    pos = line.find_first_not_of(" \t", pos);
    if (pos == std::string_view::npos) return out;
    const std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
    out.push_back(line.substr(pos, end - pos));
    pos = end;
  }
}

bool containsNoCase(const std::vector<std::string>& upper, std::string_view word) {
  const std::string wanted = upperAscii(word);
  return std::find(upper.begin(), upper.end(), wanted) != upper.end();
}

}  // namespace

void NntpCapabilities::add(std::string_view line) {
  lines_.emplace_back(line);
  const std::vector<std::string_view> w = words(line);
  if (w.empty()) return;
  const std::string keyword = upperAscii(w[0]);
  const std::vector<std::string_view> args(w.begin() + 1, w.end());
  const auto hasArg = [&args](std::string_view arg) {
    return std::any_of(args.begin(), args.end(),
                       [arg](std::string_view a) { return equalsNoCase(a, arg); });
  };
  if (keyword == "VERSION") {
    for (std::string_view v : args) version_ = std::max(version_, toIntDef(v, 0));
  } else if (keyword == "IMPLEMENTATION") {
    implementation_ = trim(line.substr(static_cast<std::size_t>(w[0].data() - line.data()) + w[0].size()));
  } else if (keyword == "READER") {
    set(NntpCapability::Reader);
  } else if (keyword == "MODE-READER") {
    set(NntpCapability::ModeReader);
  } else if (keyword == "OVER") {
    set(NntpCapability::Over);
    if (hasArg("MSGID")) set(NntpCapability::OverMsgId);
  } else if (keyword == "HDR") {
    set(NntpCapability::Hdr);
  } else if (keyword == "POST") {
    set(NntpCapability::Post);
  } else if (keyword == "NEWNEWS") {
    set(NntpCapability::NewNews);
  } else if (keyword == "STARTTLS") {
    set(NntpCapability::StartTls);
  } else if (keyword == "AUTHINFO") {
    if (hasArg("USER")) set(NntpCapability::AuthInfoUser);
    if (hasArg("SASL")) set(NntpCapability::AuthInfoSasl);
  } else if (keyword == "COMPRESS") {
    if (hasArg("DEFLATE")) set(NntpCapability::CompressDeflate);
  } else if (keyword == "LIST") {
    for (std::string_view v : args) listVariants_.push_back(upperAscii(v));
  } else if (keyword == "SASL") {
    for (std::string_view m : args) saslMechanisms_.push_back(upperAscii(m));
  }
}

bool NntpCapabilities::offersList(std::string_view variant) const {
  return containsNoCase(listVariants_, variant);
}

bool NntpCapabilities::offersSasl(std::string_view mechanism) const {
  return containsNoCase(saslMechanisms_, mechanism);
}

}  // namespace orvel
