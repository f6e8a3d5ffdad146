#pragma once
// The old key codes of key events, which the controls' and the grid's key events pass on.

#include <QKeyEvent>

namespace keys {

// Windows virtual-key code of a key event (Delete 46, Up 38, Down 40, keypad "." 110, "." 190,
// letters and digits as their upper-case ASCII), 0 when it has none.
int VbKeyCode(const QKeyEvent& event);
// Shift state as the old events passed it: 1 Shift, 2 Ctrl, 4 Alt.
int VbShift(Qt::KeyboardModifiers modifiers);
// The character the key would deliver to a key-press handler: control characters for
// Backspace (8), Enter (13), Esc (27) and Ctrl+letter (1..26; Shift+Insert counts as Ctrl+V),
// the typed character otherwise, 0 for keys that type nothing.
int VbKeyAscii(const QKeyEvent& event);

}  // namespace keys
