#include "platform/InputMode.h"

#include "platform/InputModeFcitx.h"
#include "platform/Prompt.h"

namespace inputmode {

namespace {

class NoFramework final : public Backend {
 public:
  bool ConversionMode(QWidget*, bool* hangul, long*, QString*) override {
    *hangul = false;
    return true;
  }
  void SetConversionMode(QWidget*, bool) override {}
  QString Name() const override { return QStringLiteral("none"); }
};

std::unique_ptr<Backend> DetectPlatformBackend() {
#ifdef Q_OS_WIN
  return nullptr;  // the input-context backend goes here
#else
  return DetectSessionBusBackend();
#endif
}

Backend* g_backend = nullptr;

Backend& Current() { return g_backend ? *g_backend : DetectedBackend(); }

}  // namespace

Backend* SetBackend(Backend* backend) {
  Backend* previous = g_backend;
  g_backend = backend;
  return previous;
}

bool Replaced(const Backend& backend) { return g_backend && g_backend != &backend; }

std::unique_ptr<Backend> MakeNoFrameworkBackend() { return std::make_unique<NoFramework>(); }

Backend& DetectedBackend() {
  // Every focus change asks for the mode: the bus is looked at once, not on each of them.
  // Kept to the end of the process: a bus connection must not be torn down after Qt's own.
  static Backend* const detected = [] {
    std::unique_ptr<Backend> found = DetectPlatformBackend();
    return (found ? std::move(found) : MakeNoFrameworkBackend()).release();
  }();
  return *detected;
}

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
