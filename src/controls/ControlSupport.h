#pragma once
// Small pieces the input controls share: the refusal beep, focus moves and colour values.

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class QWidget;

#include <cstdint>

namespace controls {

template <class Owner>
class OwnedLineEdit;

// The system beep of a refused key. Tests count beeps through the override (nullptr restores).
void Beep();
void SetBeepOverride(void (*beep)());

// Moves the focus on as Tab (or Shift+Tab) would from the focused widget, or from `fallback`
// when nothing has the focus.
void SendTab(QWidget* fallback, bool backward);

// Windows colour values: R + 256*G + 65536*B; the top bit marks a system colour.
using OleColor = std::uint32_t;
constexpr OleColor kWhite = 0xFFFFFF;
constexpr OleColor kSysWindowText = 0x80000008;
bool IsSystemColor(OleColor value);
// System colours are taken from the widget palette given.
QColor ToQColor(OleColor value, const QPalette& palette);

// The stored properties of a control, in writing order, and reading one back by its name (case
// ignored) with the default for an absent one.
using PropertyBag = QList<QPair<QString, QVariant>>;
QVariant BagValue(const PropertyBag& bag, const char* key, const QVariant& def);
OleColor BagColor(const PropertyBag& bag, const char* key, OleColor def);

}  // namespace controls
