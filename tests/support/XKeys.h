#pragma once
// Real key presses on the test's X display, made through XTEST by xdotool. They reach the window
// with the X input focus and pass through the input method as a user's keyboard does; QTest's
// key functions hand Qt events straight to a widget and never meet the input method.

#include <QString>

namespace xkeys {

// Types Latin text as key presses on a US keyboard ("gks" is 한 in Hangul mode).
bool Type(const QString& text);
// Presses keys by X name, "+" joining held modifiers: "ctrl+space", "F2", "Return", "Tab".
bool Press(const QString& keys);

}  // namespace xkeys
