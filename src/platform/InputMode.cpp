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
Backend* g_detected = nullptr;  // once detected

Backend& Current() { return g_backend ? *g_backend : DetectedBackend(); }

}  // namespace

Backend::~Backend() {
  if (g_backend == this) SetBackend(nullptr);
}

Backend* SetBackend(Backend* backend) {
  Backend* const previous = g_backend;
  Backend* const before = previous ? previous : g_detected;
  g_backend = backend;
  Backend* const after = backend ? backend : g_detected;
  if (before != after) {
    if (before) before->Installed(false);
    if (after) after->Installed(true);
  }
  return previous;
}

std::unique_ptr<Backend> MakeNoFrameworkBackend() { return std::make_unique<NoFramework>(); }

Backend& DetectedBackend() {
  // Every focus change asks for the mode: the bus is looked at once, not on each of them.
  // Kept to the end of the process: a bus connection must not be torn down after Qt's own.
  static Backend* const detected = [] {
    std::unique_ptr<Backend> found = DetectPlatformBackend();
    g_detected = (found ? std::move(found) : MakeNoFrameworkBackend()).release();
    if (!g_backend) g_detected->Installed(true);
    return g_detected;
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
