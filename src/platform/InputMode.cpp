#include "platform/InputMode.h"

#include "platform/Prompt.h"

namespace inputmode {

namespace {

// One context shared by every window of the thread, English until someone switches.
class SharedContext final : public Backend {
 public:
  bool ConversionMode(QWidget*, bool* hangul, long*, QString*) override {
    *hangul = m_hangul;
    return true;
  }
  void SetConversionMode(QWidget*, bool hangul) override { m_hangul = hangul; }

 private:
  bool m_hangul = false;
};

SharedContext g_shared;
Backend* g_backend = nullptr;

Backend& Current() { return g_backend ? *g_backend : g_shared; }

}  // namespace

void SetBackend(Backend* backend) { g_backend = backend; }

}  // namespace inputmode

bool GetHanEngMode(QWidget* control) {
  bool hangul = false;
  long number = 0;
  QString text;
  if (!inputmode::Current().ConversionMode(control, &hangul, &number, &text)) {
    MsgError(number, text, QStringLiteral("GetHanEngMode"), QStringLiteral("modMain"));
    return false;
  }
  return hangul;
}

void SetHanEngMode(bool hangul, QWidget* window) {
  inputmode::Current().SetConversionMode(window, hangul);
}
