#include "core/bag.h"

#include <limits>

#include "core/ini_file.h"
#include "core/text.h"

namespace orvel {

namespace {

int shadowOf(std::string_view text) {
  if (!text.empty() && text[0] == '$') return 0;
  auto value = parseDecimal(text);
  if (!value || *value < std::numeric_limits<int>::min() ||
      *value > std::numeric_limits<int>::max()) {
    return 0;
  }
  return static_cast<int>(*value);
}

int fieldInt(std::string_view text) { return toIntDef(trimView(text), 0); }

}  // namespace

std::string ColorText(std::uint32_t color) { return format("$%.6X", color & 0xFFFFFFu); }

std::string FontLine(const BagFont& f) {
  return format("%d,%d<%d>%d;%s:%s|%d", f.style, f.pitch, f.size, f.height,
                ColorText(f.color).c_str(), f.name.c_str(), f.charset);
}

std::string PlacementLine(const BagPlacement& p) {
  return format("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.show, p.minX, p.minY, p.maxX, p.maxY,
                p.left, p.top, p.right, p.bottom);
}

long TBag::find(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) return static_cast<long>(i);
  }
  return -1;
}

void TBag::checkName(std::string_view name) const {
  if (name.empty()) throw EBagError("Rien de spécifié ");
}

void TBag::checkFile() const {
  if (fileName_.empty()) throw EBagError("Pas de .ini spécifié.");
  if (section_.empty()) throw EBagError("Pas de section spécifiée(ini)");
}

void TBag::LoadFromIni(bool isKeys) {
  checkFile();
  const IniFile ini(fileName_);
  for (const auto& [key, value] : ini.entries(section_)) {
    if (isKeys) {
      if (!codec_.textToCode) continue;
      if (auto code = codec_.textToCode(value)) SetKey(key, *code);
    } else {
      SetString(key, value);
    }
  }
}

void TBag::SaveToIni(bool eraseSection, bool isKeys) const {
  checkFile();
  if (names_.empty()) throw EBagError("Rien à écrire dans le .ini ! ");
  IniFile ini(fileName_);
  if (eraseSection) ini.eraseSection(section_);
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const Value& v = values_[i];
    std::string text;
    if (isKeys) {
      text = v.shadow != 0 && codec_.codeToText ? codec_.codeToText(v.shadow) : "0";
    } else {
      text = v.shadow != 0 ? std::to_string(v.shadow) : v.text;
    }
    ini.write(section_, names_[i], text);
  }
  std::string error;
  if (!ini.save(&error)) throw EBagError(error);
}

bool TBag::Has(std::string_view name) const { return find(name) >= 0; }

std::string TBag::GetString(std::string_view name, std::string_view fallback) const {
  checkName(name);
  const long i = find(name);
  return i >= 0 ? values_[static_cast<std::size_t>(i)].text : std::string(fallback);
}

void TBag::SetString(std::string_view name, std::string_view text) {
  checkName(name);
  const long i = find(name);
  Value v{std::string(text), shadowOf(text)};
  if (i >= 0) {
    values_[static_cast<std::size_t>(i)] = std::move(v);
  } else {
    names_.emplace_back(name);
    values_.push_back(std::move(v));
  }
}

int TBag::GetInteger(std::string_view name, int fallback) const {
  checkName(name);
  const long i = find(name);
  return i >= 0 ? values_[static_cast<std::size_t>(i)].shadow : fallback;
}

int TBag::GetNumber(std::string_view name, int fallback) const {
  checkName(name);
  const long i = find(name);
  if (i < 0) return fallback;
  auto value = parseNumber(values_[static_cast<std::size_t>(i)].text);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::uint32_t>::max()) {
    return 0;
  }
  return static_cast<int>(static_cast<std::uint32_t>(*value));
}

bool TBag::GetBool(std::string_view name, bool fallback) const {
  checkName(name);
  const long i = find(name);
  return i >= 0 ? values_[static_cast<std::size_t>(i)].text == "1" : fallback;
}

void TBag::SetBool(std::string_view name, bool flag) { SetString(name, flag ? "1" : "0"); }

void TBag::SetColor(std::string_view name, std::uint32_t color) {
  SetString(name, ColorText(color));
}

const BagFont& TBag::GetFont(std::string_view name, const BagFont& base) {
  checkName(name);
  font_ = base;
  const long i = find(name);
  if (i < 0) return font_;
  const std::string& line = values_[static_cast<std::size_t>(i)].text;
  const std::string_view text = trimView(line);
  if (text.empty()) return font_;

  // style,pitch<size>height;$colour:name|charset
  const char separators[] = {',', '<', '>', ';', ':', '|'};
  std::size_t cuts[6];
  std::size_t from = 0;
  for (int k = 0; k < 6; ++k) {
    cuts[k] = text.find(separators[k], from);
    if (cuts[k] == std::string_view::npos) {
      throw EBagError("Police Invalide      " + line);
    }
    from = cuts[k] + 1;
  }
  auto field = [&](int k) {
    const std::size_t begin = k == 0 ? 0 : cuts[k - 1] + 1;
    const std::size_t end = k == 6 ? text.size() : cuts[k];
    return text.substr(begin, end - begin);
  };
  BagFont f = base;
  f.style = fieldInt(field(0));
  f.pitch = fieldInt(field(1));
  f.size = fieldInt(field(2));
  f.height = fieldInt(field(3));
  f.color = static_cast<std::uint32_t>(toIntDef(trimView(field(4)), 0)) & 0xFFFFFFu;
  f.name = std::string(field(5));
  f.charset = fieldInt(field(6));
  font_ = std::move(f);
  return font_;
}

void TBag::SetFont(std::string_view name, const BagFont& font) { SetString(name, FontLine(font)); }

void TBag::SetKey(std::string_view name, int code) {
  checkName(name);
  const long i = find(name);
  if (i >= 0) {
    Value& v = values_[static_cast<std::size_t>(i)];
    v.shadow = code;
    if (code == 0) v.text.assign(1, '0');  // assign(): GCC 12 -Wrestrict false alarm on = "0"
  } else {
    names_.emplace_back(name);
    values_.push_back(Value{std::string(), code});
  }
}

std::optional<int> TBag::GetKey(std::string_view name) const {
  checkName(name);
  const long i = find(name);
  if (i < 0) return std::nullopt;
  return values_[static_cast<std::size_t>(i)].shadow;
}

bool TBag::GetPlacement(std::string_view name, bool allowMaximised,
                        WindowGeometry& geometry) const {
  const std::string text = GetString(name, "");
  std::vector<int> numbers;
  for (const auto& piece : splitChar(text, ',')) {
    auto value = parseDecimal(trimView(piece));
    if (!value) break;
    numbers.push_back(static_cast<int>(*value));
  }
  if (numbers.size() < 10) return false;
  const BagPlacement p{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4],
                       numbers[5], numbers[6], numbers[7], numbers[8], numbers[9]};
  geometry.maximised = allowMaximised && p.show == 3;
  geometry.x = p.left;
  geometry.y = p.top;
  geometry.width = p.right - p.left;
  geometry.height = p.bottom - p.top;
  return true;
}

void TBag::SetPlacement(std::string_view name, const BagPlacement& placement,
                        bool forceMaximised) {
  BagPlacement p = placement;
  p.show = forceMaximised || placement.show == 3 ? 3 : 1;
  SetString(name, PlacementLine(p));
}

}  // namespace orvel
