#include "scoring/plonker.h"

#include <algorithm>
#include <cmath>

#include "articles/article_date.h"
#include "core/atomic_file.h"
#include "core/text.h"

namespace orvel {

namespace {

// The hash set stores references; every key points at this one marker.
const int kMember = 1;

std::int32_t expiryOf(std::string_view text) {
  const auto n = parseDecimal(trimView(text));
  if (!n || *n < INT32_MIN || *n > INT32_MAX) return 0;
  return static_cast<std::int32_t>(*n);
}

// The field up to the next TAB of a line; the rest stays in line.
std::string_view takeField(std::string_view& line) {
  const auto tab = line.find('\t');
  const std::string_view field = line.substr(0, tab);
  line = tab == std::string_view::npos ? std::string_view{} : line.substr(tab + 1);
  return field;
}

}  // namespace

std::string PlonkKey(std::string_view name, std::string_view address) {
  std::string key = lowerAscii(name);
  key += '\t';
  key += lowerAscii(address);
  return key;
}

std::int32_t TodayDayNumber() { return static_cast<std::int32_t>(std::floor(LocalNow())); }

std::string PlonkExpiryText(std::int32_t expiry, const DateFormatSettings& formats) {
  if (expiry == 0) return {};
  const DateParts p = DecodeDateTime(expiry);
  std::tm t{};
  t.tm_year = p.year - 1900;
  t.tm_mon = p.month - 1;
  t.tm_mday = p.day;
  return formatDateTime(formats.shortDateFormat, t, formats);
}

TPlonker::TPlonker() : keys_(false) {}

void TPlonker::Load(const std::string& path, std::int32_t today) {
  path_ = path;
  keys_.Clear(false);
  entries_.clear();
  modified_ = false;
  std::string data;
  if (!ReadWholeFile(path, data)) return;
  std::string_view rest = data;
  while (!rest.empty()) {
    const auto end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    while (!rest.empty() && (rest.front() == '\r' || rest.front() == '\n')) rest.remove_prefix(1);
    const std::string_view name = takeField(line);
    const std::string_view address = takeField(line);
    const std::int32_t expiry = expiryOf(line);
    if (expiry != 0 && expiry <= today) {
      modified_ = true;
      continue;
    }
    const bool wasModified = modified_;
    AddPlonk(name, address, false, expiry);
    modified_ = wasModified;
  }
}

bool TPlonker::Save(std::string* error) {
  if (!modified_) return true;
  std::string text;
  for (const auto& e : entries_) {
    text += e.name;
    text += '\t';
    text += e.address;
    text += '\t';
    text += std::to_string(e.expiry);
    text += "\r\n";
  }
  if (!SaveFileAtomically(path_, text, error)) return false;
  modified_ = false;
  return true;
}

bool TPlonker::IsPlonked(std::string_view name, std::string_view address) const {
  return keys_.Find(PlonkKey(name, address)) != nullptr;
}

int TPlonker::insertionPoint(std::string_view name, std::string_view address) const {
  const auto at = std::lower_bound(
      entries_.begin(), entries_.end(), std::pair{name, address},
      [](const PlonkEntry& e, const std::pair<std::string_view, std::string_view>& key) {
        return std::pair<std::string_view, std::string_view>{e.name, e.address} < key;
      });
  return static_cast<int>(at - entries_.begin());
}

int TPlonker::indexOf(std::string_view name, std::string_view address) const {
  const int at = insertionPoint(name, address);
  if (at < static_cast<int>(entries_.size()) && entries_[at].name == name &&
      entries_[at].address == address) {
    return at;
  }
  return -1;
}

int TPlonker::AddPlonk(std::string_view name, std::string_view address, bool replace,
                       std::int32_t expiry) {
  const std::string key = PlonkKey(name, address);
  const std::string_view lowName = std::string_view(key).substr(0, name.size());
  const std::string_view lowAddress = std::string_view(key).substr(name.size() + 1);
  if (keys_.Find(key)) {
    if (!replace) return -1;
    const int old = indexOf(lowName, lowAddress);
    entries_[old].expiry = expiry;
    modified_ = true;
    return old;
  }
  keys_.Add(key, &kMember);
  const int at = insertionPoint(lowName, lowAddress);
  entries_.insert(entries_.begin() + at,
                  PlonkEntry{std::string(lowName), std::string(lowAddress), expiry});
  modified_ = true;
  return at;
}

bool TPlonker::RemovePlonk(std::string_view name, std::string_view address) {
  const std::string key = PlonkKey(name, address);
  if (!keys_.Remove(key)) return false;
  const int at = indexOf(std::string_view(key).substr(0, name.size()),
                         std::string_view(key).substr(name.size() + 1));
  if (at >= 0) entries_.erase(entries_.begin() + at);
  modified_ = true;
  return true;
}

}  // namespace orvel
