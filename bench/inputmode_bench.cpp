// What the input-mode layer adds to a focus change between two fields when no input framework
// runs, against the same focus change with a backend that does nothing (the layer bypassed).
//
//   bench_inputmode_bench [changes]      (QT_QPA_PLATFORM=offscreen when there is no display)
//
// The program makes sure it sees no session bus, so the detected backend is the one a desktop
// without fcitx5 gets. The first detection is timed on its own: it happens once per process.
#include "controls/HCText.h"
#include "platform/AppState.h"
#include "platform/InputMode.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class DoesNothing final : public inputmode::Backend {
 public:
  bool ConversionMode(QWidget*, bool* hangul, long*, QString*) override {
    *hangul = false;
    return true;
  }
  void SetConversionMode(QWidget*, bool) override {}
  QString Name() const override { return QStringLiteral("bypassed"); }
};

// Nanoseconds per focus change, `changes` of them back and forth.
double FocusChanges(HCText* a, HCText* b, int changes) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < changes; ++i) (i % 2 ? b : a)->setFocus();
  return double(timer.nsecsElapsed()) / changes;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  // No session bus to be found: neither an address nor a runtime directory with one.
  QTemporaryDir runtime;
  qunsetenv("DBUS_SESSION_BUS_ADDRESS");
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int changes = argc > 1 ? std::atoi(argv[1]) : 20000;
  App().osTypeCode = 110;  // fields remember their mode

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* hangulField = new HCText(&window);
  hangulField->SetIMEMode(10);
  auto* plainField = new HCText(&window);  // only the remembered mode
  layout->addWidget(hangulField);
  layout->addWidget(plainField);
  window.show();
  window.activateWindow();
  QElapsedTimer wait;
  wait.start();
  while (!window.isActiveWindow() && wait.elapsed() < 5000) QApplication::processEvents();
  if (!window.isActiveWindow()) {
    std::fprintf(stderr, "the window did not become active\n");
    return 1;
  }

  QElapsedTimer detection;
  detection.start();
  const QString detected = inputmode::DetectedBackend().Name();
  const double detectionUs = double(detection.nsecsElapsed()) / 1000;

  // Every setFocus must be a real arrival, or the figures measure nothing.
  plainField->setFocus();  // each round starts on the other field
  long arrivals = 0;
  for (HCText* f : {hangulField, plainField})
    QObject::connect(f, &HCText::GotFocus, [&arrivals] { ++arrivals; });

  DoesNothing bypass;
  std::vector<double> baseline, measured;
  for (int round = 0; round < 7; ++round) {
    // Taking turns at going first, so that neither gets the warmer start.
    for (int turn = 0; turn < 2; ++turn) {
      const bool bypassed = (round + turn) % 2 == 0;
      inputmode::SetBackend(bypassed ? &bypass : nullptr);
      (bypassed ? baseline : measured).push_back(FocusChanges(hangulField, plainField, changes));
    }
  }
  if (arrivals != 14L * changes) {
    std::fprintf(stderr, "%ld arrivals for %d focus changes\n", arrivals, 14 * changes);
    return 1;
  }
  const double base = Median(baseline);
  const double none = Median(measured);
  std::printf("input mode on a focus change, %d changes x 7 rounds, medians\n", changes);
  std::printf("  detected backend:            %s (first detection %.1f us, once per process)\n",
              qPrintable(detected), detectionUs);
  std::printf("  layer bypassed (baseline):   %8.2f us per focus change\n", base / 1000);
  std::printf("  no framework (detected):     %8.2f us per focus change  ratio %.3f\n", none / 1000,
              none / base);
  std::printf("  added time:                  %8.3f us per focus change\n", (none - base) / 1000);
  return 0;
}
