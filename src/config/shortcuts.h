#pragma once
// Keyboard shortcuts as the menus show them ("Ctrl+Shift+K", "Shift+/",
// "Alt+Ins", "F12", "`") and as 16-bit codes: the key's virtual-key code in
// the low byte (the US-layout codes: "/" 191, ";" 186, "'" 222, "," 188,
// "." 190, "`" 192, "[" 219, "]" 221, "=" 187, "-" 189, "\" 220), and the
// modifier flags in the high byte. Texts are written with the modifiers in
// the order Ctrl, Alt, Shift; reading accepts any order and case.

#include <optional>
#include <string>
#include <string_view>

#include "core/bag.h"

namespace orvel {

inline constexpr int kShortcutShift = 0x2000;
inline constexpr int kShortcutCtrl = 0x4000;
inline constexpr int kShortcutAlt = 0x8000;

// The text of a code; empty for 0 or a key without a name.
std::string ShortCutToText(int code);
// The code of a text; 0 for an empty text, nothing for a text that names no
// key.
std::optional<int> TextToShortCut(std::string_view text);

// The converter of the "keys.ini" bags. A stored "0" means no shortcut, so
// the bare digit-0 key is stored as "Digit0" (and read back from it).
ShortcutCodec KeysFileCodec();

}  // namespace orvel
