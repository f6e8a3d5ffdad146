#pragma once
// The input context every test program uses unless it asks for the detected one: one mode shared
// by all windows, English until something switches it, the way the thread's context behaves on
// Windows. Keeps the tests off the desktop's own input method.

#include "platform/InputMode.h"

class SharedInputContext final : public inputmode::Backend {
 public:
  bool ConversionMode(QWidget*, bool* hangul, long*, QString*) override {
    *hangul = m_hangul;
    return true;
  }
  void SetConversionMode(QWidget*, bool hangul) override { m_hangul = hangul; }
  QString Name() const override { return QStringLiteral("shared (tests)"); }

 private:
  bool m_hangul = false;
};

// The instance the test main installs.
SharedInputContext& TestInputContext();
