#include "ui/key_sequence.h"

#include "config/shortcuts.h"

namespace orvel::ui {

namespace {

struct KeyPair {
  int code;     // virtual-key code
  int qtKey;
};

// Keys other than letters, digits and function keys.
constexpr KeyPair kKeys[] = {
    {8, Qt::Key_Backspace}, {9, Qt::Key_Tab},       {13, Qt::Key_Return},
    {27, Qt::Key_Escape},   {32, Qt::Key_Space},    {33, Qt::Key_PageUp},
    {34, Qt::Key_PageDown}, {35, Qt::Key_End},      {36, Qt::Key_Home},
    {37, Qt::Key_Left},     {38, Qt::Key_Up},       {39, Qt::Key_Right},
    {40, Qt::Key_Down},     {45, Qt::Key_Insert},   {46, Qt::Key_Delete},
    {186, Qt::Key_Semicolon}, {187, Qt::Key_Equal}, {188, Qt::Key_Comma},
    {189, Qt::Key_Minus},   {190, Qt::Key_Period},  {191, Qt::Key_Slash},
    {192, Qt::Key_QuoteLeft}, {219, Qt::Key_BracketLeft}, {220, Qt::Key_Backslash},
    {221, Qt::Key_BracketRight}, {222, Qt::Key_Apostrophe},
};

// Keypad keys: Qt gives the same key with the keypad modifier.
constexpr KeyPair kKeypad[] = {
    {106, Qt::Key_Asterisk}, {107, Qt::Key_Plus}, {109, Qt::Key_Minus},
    {110, Qt::Key_Period},   {111, Qt::Key_Slash},
};

// What Shift types on a US layout: the unshifted key's code and the typed key.
constexpr KeyPair kShifted[] = {
    {'1', Qt::Key_Exclam},      {'2', Qt::Key_At},           {'3', Qt::Key_NumberSign},
    {'4', Qt::Key_Dollar},      {'5', Qt::Key_Percent},      {'6', Qt::Key_AsciiCircum},
    {'7', Qt::Key_Ampersand},   {'8', Qt::Key_Asterisk},     {'9', Qt::Key_ParenLeft},
    {'0', Qt::Key_ParenRight},  {186, Qt::Key_Colon},        {187, Qt::Key_Plus},
    {188, Qt::Key_Less},        {189, Qt::Key_Underscore},   {190, Qt::Key_Greater},
    {191, Qt::Key_Question},    {192, Qt::Key_AsciiTilde},   {219, Qt::Key_BraceLeft},
    {220, Qt::Key_Bar},         {221, Qt::Key_BraceRight},   {222, Qt::Key_QuoteDbl},
};

int qtKeyOf(int key, bool* keypad) {
  *keypad = false;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return key;  // Qt uses ASCII
  if (key >= 112 && key <= 135) return Qt::Key_F1 + (key - 112);
  if (key >= 96 && key <= 105) {
    *keypad = true;
    return Qt::Key_0 + (key - 96);
  }
  for (const auto& k : kKeypad) {
    if (k.code == key) {
      *keypad = true;
      return k.qtKey;
    }
  }
  for (const auto& k : kKeys) {
    if (k.code == key) return k.qtKey;
  }
  return 0;
}

int shiftedKey(int key) {
  for (const auto& k : kShifted) {
    if (k.code == key) return k.qtKey;
  }
  return 0;
}

Qt::KeyboardModifiers modifiersOf(int code) {
  Qt::KeyboardModifiers m;
  if (code & kShortcutShift) m |= Qt::ShiftModifier;
  if (code & kShortcutCtrl) m |= Qt::ControlModifier;
  if (code & kShortcutAlt) m |= Qt::AltModifier;
  return m;
}

}  // namespace

QList<QKeySequence> KeySequencesOf(int code) {
  const int key = code & 0xFF;
  bool keypad = false;
  const int qtKey = key ? qtKeyOf(key, &keypad) : 0;
  if (qtKey == 0) return {};
  Qt::KeyboardModifiers modifiers = modifiersOf(code);
  if (keypad) modifiers |= Qt::KeypadModifier;
  QList<QKeySequence> out{QKeySequence(QKeyCombination(modifiers, Qt::Key(qtKey)))};
  if ((code & kShortcutShift) && !keypad) {
    if (const int typed = shiftedKey(key)) {
      out.append(QKeySequence(
          QKeyCombination(modifiersOf(code & ~kShortcutShift), Qt::Key(typed))));
      out.append(QKeySequence(QKeyCombination(modifiers, Qt::Key(typed))));
    }
  }
  return out;
}

int ShortcutCodeOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  int flags = 0;
  if (modifiers & Qt::ShiftModifier) flags |= kShortcutShift;
  if (modifiers & Qt::ControlModifier) flags |= kShortcutCtrl;
  if (modifiers & Qt::AltModifier) flags |= kShortcutAlt;
  if (qtKey == Qt::Key_Backtab) return 9 | flags | kShortcutShift;
  if (qtKey == Qt::Key_Enter) return 13 | flags;
  if (modifiers & Qt::KeypadModifier) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return (96 + qtKey - Qt::Key_0) | flags;
    for (const auto& k : kKeypad) {
      if (k.qtKey == qtKey) return k.code | flags;
    }
  }
  if ((qtKey >= '0' && qtKey <= '9') || (qtKey >= 'A' && qtKey <= 'Z')) return qtKey | flags;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return (112 + qtKey - Qt::Key_F1) | flags;
  for (const auto& k : kKeys) {
    if (k.qtKey == qtKey) return k.code | flags;
  }
  for (const auto& k : kShifted) {
    if (k.qtKey == qtKey) return k.code | flags | kShortcutShift;
  }
  return 0;
}

}  // namespace orvel::ui
