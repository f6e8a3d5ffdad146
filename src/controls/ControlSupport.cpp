#include "controls/ControlSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QWidget>

namespace controls {

namespace {
void (*g_beepOverride)() = nullptr;
}

void Beep() {
  if (g_beepOverride) {
    g_beepOverride();
  } else {
    QApplication::beep();
  }
}

void SetBeepOverride(void (*beep)()) { g_beepOverride = beep; }

void SendTab(QWidget* fallback, bool backward) {
  QWidget* target = QApplication::focusWidget();
  if (!target) target = fallback;
  if (!target) return;
  QKeyEvent tab(QEvent::KeyPress, backward ? Qt::Key_Backtab : Qt::Key_Tab,
                backward ? Qt::ShiftModifier : Qt::NoModifier);
  QCoreApplication::sendEvent(target, &tab);
}

bool IsSystemColor(OleColor value) { return value & 0x80000000u; }

QColor ToQColor(OleColor value, const QPalette& palette) {
  if (IsSystemColor(value)) {
    switch (value & 0xFF) {
      case 5:
        return palette.color(QPalette::Base);  // window background
      case 15:
        return palette.color(QPalette::Button);  // button face
      case 18:
        return palette.color(QPalette::ButtonText);
      case 13:
        return palette.color(QPalette::Highlight);
      case 14:
        return palette.color(QPalette::HighlightedText);
      default:
        return palette.color(QPalette::Text);  // window text and the rest
    }
  }
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QVariant BagValue(const PropertyBag& bag, const char* key, const QVariant& def) {
  for (const auto& [k, v] : bag)
    if (k.compare(QLatin1String(key), Qt::CaseInsensitive) == 0) return v;
  return def;
}

OleColor BagColor(const PropertyBag& bag, const char* key, OleColor def) {
  return OleColor(BagValue(bag, key, double(def)).toDouble());
}

}  // namespace controls
