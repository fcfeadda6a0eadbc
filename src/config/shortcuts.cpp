#include "config/shortcuts.h"

#include <vector>

#include "core/text.h"

namespace orvel {

namespace {

struct KeyName {
  int code;
  const char* name;
};

// Named keys and the US-layout punctuation keys; letters, digits and F1-F24
// are handled apart.
constexpr KeyName kKeyNames[] = {
    {8, "Backspace"}, {9, "Tab"},    {13, "Enter"},  {27, "Esc"},   {32, "Space"},
    {33, "PgUp"},     {34, "PgDn"},  {35, "End"},    {36, "Home"},  {37, "Left"},
    {38, "Up"},       {39, "Right"}, {40, "Down"},   {45, "Ins"},   {46, "Del"},
    {96, "Num 0"},    {97, "Num 1"}, {98, "Num 2"},  {99, "Num 3"}, {100, "Num 4"},
    {101, "Num 5"},   {102, "Num 6"}, {103, "Num 7"}, {104, "Num 8"}, {105, "Num 9"},
    {106, "Num *"},   {107, "Num +"}, {109, "Num -"}, {110, "Num ."}, {111, "Num /"},
    {186, ";"},       {187, "="},    {188, ","},     {189, "-"},    {190, "."},
    {191, "/"},       {192, "`"},    {219, "["},     {220, "\\"},   {221, "]"},
    {222, "'"},
};

// Other spellings found in hand-edited files.
constexpr KeyName kKeyAliases[] = {
    {8, "BkSp"},   {8, "Back"},    {13, "Return"}, {27, "Escape"}, {33, "PageUp"},
    {34, "PageDown"}, {34, "PgDown"}, {45, "Insert"}, {46, "Delete"},
};

struct Modifier {
  int flag;
  std::string_view prefix;
};
// The writing order; reading also takes "Control+".
constexpr Modifier kModifiers[] = {
    {kShortcutCtrl, "Ctrl+"}, {kShortcutAlt, "Alt+"}, {kShortcutShift, "Shift+"},
};
constexpr Modifier kReadModifiers[] = {
    {kShortcutCtrl, "Ctrl+"}, {kShortcutAlt, "Alt+"}, {kShortcutShift, "Shift+"},
    {kShortcutCtrl, "Control+"},
};

std::string keyText(int key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
  if (key >= 112 && key <= 135) return "F" + std::to_string(key - 111);
  for (const auto& k : kKeyNames) {
    if (k.code == key) return k.name;
  }
  return {};
}

std::optional<int> keyCode(std::string_view text) {
  if (text.size() == 1) {
    const char c = toUpperAscii(text[0]);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return c;
  }
  if (text.size() >= 2 && toUpperAscii(text[0]) == 'F') {
    const auto n = parseDecimal(text.substr(1));
    if (n && *n >= 1 && *n <= 24 && text[1] != '+' && text[1] != '-') return 111 + int(*n);
  }
  for (const auto& k : kKeyNames) {
    if (equalsNoCase(text, k.name)) return k.code;
  }
  for (const auto& k : kKeyAliases) {
    if (equalsNoCase(text, k.name)) return k.code;
  }
  return std::nullopt;
}

// Strips one leading modifier prefix; its flag, or 0. A prefix must leave a
// key behind it.
int takeModifier(std::string_view& text) {
  for (const auto& m : kReadModifiers) {
    if (text.size() > m.prefix.size() && startsWithNoCase(text, m.prefix)) {
      text.remove_prefix(m.prefix.size());
      return m.flag;
    }
  }
  return 0;
}

constexpr std::string_view kFileDigitZero = "Digit0";

}  // namespace

std::string ShortCutToText(int code) {
  const std::string key = keyText(code & 0xFF);
  if (key.empty()) return {};
  std::string text;
  for (const auto& m : kModifiers) {
    if (code & m.flag) text += m.prefix;
  }
  return text + key;
}

std::optional<int> TextToShortCut(std::string_view text) {
  text = trimView(text);
  if (text.empty()) return 0;
  int flags = 0;
  while (const int flag = takeModifier(text)) flags |= flag;
  const auto key = keyCode(text);
  if (!key) return std::nullopt;
  return *key | flags;
}

ShortcutCodec KeysFileCodec() {
  ShortcutCodec codec;
  codec.textToCode = [](std::string_view text) -> std::optional<int> {
    text = trimView(text);
    if (text == "0") return 0;
    if (equalsNoCase(text, kFileDigitZero)) return '0';
    return TextToShortCut(text);
  };
  codec.codeToText = [](int code) {
    return code == '0' ? std::string(kFileDigitZero) : ShortCutToText(code);
  };
  return codec;
}

}  // namespace orvel
