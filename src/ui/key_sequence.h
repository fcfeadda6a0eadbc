#pragma once
// The program's 16-bit shortcut codes (a US-layout virtual-key code in the
// low byte, Shift 0x2000, Ctrl 0x4000, Alt 0x8000) as Qt key sequences, and
// a key typed in Qt back to a code.
//
// Qt reports a shifted punctuation key by the character it types (Shift+.
// arrives as ">"), so such a code gets two sequences: the one named after
// the key, shown in menus, and the typed character, which is what matches.

#include <QKeySequence>
#include <QList>

namespace orvel::ui {

// The sequences that run an action with this code; empty for 0 or a key Qt
// cannot name.
QList<QKeySequence> KeySequencesOf(int code);

// The code of a key press (Qt key and modifiers); 0 for a lone modifier or
// a key without a code.
int ShortcutCodeOf(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace orvel::ui
