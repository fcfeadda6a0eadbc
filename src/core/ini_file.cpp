#include "core/ini_file.h"

#include "core/text.h"

namespace orvel {

namespace {

std::string unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return std::string(value.substr(1, value.size() - 2));
  }
  return std::string(value);
}

// The reader trims blanks around a value and takes off one pair of quotes, so
// a value with blanks or a quote pair at its ends is written inside an extra
// pair of double quotes.
std::string valueText(std::string_view value) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  if (!value.empty() && (quoted || blank(value.front()) || blank(value.back()))) {
    return "\"" + std::string(value) + "\"";
  }
  return std::string(value);
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::string data;
  if (ReadWholeFile(path_, data)) parse(data);
}

IniFile IniFile::FromText(std::string_view text) {
  IniFile ini;
  ini.parse(text);
  return ini;
}

void IniFile::parse(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.find("\r\n") != std::string_view::npos) lineEnd_ = "\r\n";
  lines_.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    pos = end + 1;

    Line line;
    line.raw = std::string(raw);
    const std::string_view t = trimView(raw);
    if (t.size() >= 2 && t.front() == '[') {
      const std::size_t close = t.find(']');
      const std::string_view name = close == std::string_view::npos
                                        ? std::string_view()
                                        : trimView(t.substr(1, close - 1));
      if (!name.empty()) {
        line.kind = Kind::Section;
        line.name = std::string(name);
      }
    } else if (!t.empty() && t.front() != ';' && t.front() != '#') {
      const std::size_t eq = t.find('=');
      if (eq != std::string_view::npos && eq > 0) {
        const std::string_view key = trimView(t.substr(0, eq));
        if (!key.empty()) {
          line.kind = Kind::Key;
          line.name = std::string(key);
          line.value = unquote(trimView(t.substr(eq + 1)));
        }
      }
    }
    lines_.push_back(std::move(line));
  }
  rebuildIndex();
}

void IniFile::rebuildIndex() {
  sectionIndex_.clear();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::Section) sectionIndex_.emplace(lowerAscii(lines_[i].name), i);
  }
}

long IniFile::sectionLine(std::string_view section) const {
  const auto it = sectionIndex_.find(lowerAscii(section));
  return it == sectionIndex_.end() ? -1 : static_cast<long>(it->second);
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return i;
}

long IniFile::keyLine(std::string_view section, std::string_view key) const {
  const long header = sectionLine(section);
  if (header < 0) return -1;
  const std::size_t end = sectionEnd(static_cast<std::size_t>(header));
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
    if (lines_[i].kind == Kind::Key && equalsNoCase(lines_[i].name, key)) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

bool IniFile::hasSection(std::string_view section) const { return sectionLine(section) >= 0; }

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
  return keyLine(section, key) >= 0;
}

std::vector<std::string> IniFile::sections() const {
  std::vector<std::string> out;
  for (const auto& line : lines_) {
    if (line.kind != Kind::Section) continue;
    // A repeated header continues nothing new: the first one names the section.
    if (sectionIndex_.at(lowerAscii(line.name)) == static_cast<std::size_t>(&line - &lines_[0])) {
      out.push_back(line.name);
    }
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  const long header = sectionLine(section);
  if (header < 0) return out;
  const std::size_t end = sectionEnd(static_cast<std::size_t>(header));
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
    if (lines_[i].kind != Kind::Key) continue;
    bool seen = false;
    for (const auto& e : out) {
      if (equalsNoCase(e.first, lines_[i].name)) {
        seen = true;
        break;
      }
    }
    if (!seen) out.emplace_back(lines_[i].name, lines_[i].value);
  }
  return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
  std::vector<std::string> out;
  for (auto& e : entries(section)) out.push_back(std::move(e.first));
  return out;
}

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const {
  const long at = keyLine(section, key);
  if (at < 0) return std::nullopt;
  return lines_[static_cast<std::size_t>(at)].value;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  auto value = read(section, key);
  return value ? *value : std::string(fallback);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int fallback) const {
  auto value = read(section, key);
  return value ? toIntDef(*value, fallback) : fallback;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
  auto value = read(section, key);
  return value ? *value == "1" : fallback;
}

void IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
  modified_ = true;
  Line line;
  line.kind = Kind::Key;
  line.name = std::string(key);
  line.value = std::string(value);
  line.raw = line.name + "=" + valueText(value);
  const long at = keyLine(section, key);
  if (at >= 0) {
    line.name = lines_[static_cast<std::size_t>(at)].name;
    line.raw = line.name + "=" + valueText(value);
    lines_[static_cast<std::size_t>(at)] = std::move(line);
    return;
  }
  long header = sectionLine(section);
  if (header < 0) {
    Line head;
    head.kind = Kind::Section;
    head.name = std::string(section);
    head.raw = "[" + head.name + "]";
    lines_.push_back(std::move(head));
    lines_.push_back(std::move(line));
    rebuildIndex();
    return;
  }
  // Append after the section's last key, before trailing blank or comment lines.
  std::size_t insertAt = sectionEnd(static_cast<std::size_t>(header));
  while (insertAt > static_cast<std::size_t>(header) + 1 &&
         lines_[insertAt - 1].kind == Kind::Other && trimView(lines_[insertAt - 1].raw).empty()) {
    --insertAt;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
  rebuildIndex();
}

void IniFile::writeInteger(std::string_view section, std::string_view key, long long value) {
  write(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
  write(section, key, value ? "1" : "0");
}

void IniFile::eraseKey(std::string_view section, std::string_view key) {
  for (long at = keyLine(section, key); at >= 0; at = keyLine(section, key)) {
    lines_.erase(lines_.begin() + at);
    rebuildIndex();
    modified_ = true;
  }
}

void IniFile::eraseSection(std::string_view section) {
  for (long header = sectionLine(section); header >= 0; header = sectionLine(section)) {
    const std::size_t end = sectionEnd(static_cast<std::size_t>(header));
    lines_.erase(lines_.begin() + header, lines_.begin() + static_cast<std::ptrdiff_t>(end));
    rebuildIndex();
    modified_ = true;
  }
}

std::string IniFile::text() const {
  std::string out;
  for (const auto& line : lines_) {
    out += line.raw;
    out += lineEnd_;
  }
  return out;
}

bool IniFile::save(std::string* error, AtomicWriteOptions options) const {
  if (path_.empty()) {
    if (error) *error = "no file name";
    return false;
  }
  return SaveFileAtomically(path_, text(), error, options);
}

}  // namespace orvel
