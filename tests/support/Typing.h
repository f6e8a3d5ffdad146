#pragma once
// Types text into a widget the way a user's keyboard delivers it: ASCII as key presses, Hangul
// and other characters as text committed by the input method.

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QTest>

inline void TypeText(QWidget* widget, const QString& text) {
  QString run;
  bool runAscii = true;
  const auto flush = [&] {
    if (run.isEmpty()) return;
    if (runAscii) {
      QTest::keyClicks(widget, run);
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(run);
      QCoreApplication::sendEvent(widget, &commit);
    }
    run.clear();
  };
  for (const QChar c : text) {
    const bool ascii = c.unicode() < 0x80;
    if (ascii != runAscii) {
      flush();
      runAscii = ascii;
    }
    run += c;
  }
  flush();
}
