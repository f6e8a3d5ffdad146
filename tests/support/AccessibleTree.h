#pragma once
// A window as a screen reader reads it: through Qt's accessibility interfaces, which the
// offscreen platform makes as any other does once accessibility is active.

#include <QAccessible>
#include <QStringList>
#include <QWidget>

#include <utility>

namespace a11y {

inline QAccessibleInterface* Of(QObject* object) {
  QAccessible::setActive(true);
  return QAccessible::queryAccessibleInterface(object);
}

inline QString Name(QObject* object) {
  QAccessibleInterface* i = Of(object);
  return i ? i->text(QAccessible::Name) : QString();
}

// The text of the label the control is announced with (the Label relation), or "".
inline QString LabelledBy(QAccessibleInterface* i) {
  const auto labels = i->relations(QAccessible::Label);
  return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

// What the control is announced by. Qt on Linux publishes a combo box's value as its name and
// names the box through the label whose buddy it is.
inline QString Announced(QAccessibleInterface* i) {
  const QString name = i->text(QAccessible::Name);
  if (!name.isEmpty() || i->role() != QAccessible::ComboBox) return name;
  return LabelledBy(i);
}

inline bool IsInteractive(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::ButtonMenu:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Table:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
      return true;
    default:
      return false;
  }
}

// Where an object sits: the object names from the window down, class names for unnamed ones.
inline QString PathOf(QObject* object, const QWidget& window) {
  QStringList parts;
  for (QObject* o = object; o && o != &window; o = o->parent()) {
    parts.prepend(o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                                            : o->objectName());
  }
  return parts.join(u'/');
}

inline void CollectUnnamed(QAccessibleInterface* i, const QWidget& window, QStringList& out,
                           int depth) {
  if (!i || depth > 40) return;
  if (IsInteractive(i->role()) && Announced(i).isEmpty()) {
    QObject* o = i->object();
    out << QStringLiteral("%1 (%2) in %3")
               .arg(o ? PathOf(o, window) : QStringLiteral("?"),
                    o ? QString::fromLatin1(o->metaObject()->className()) : QString(),
                    window.objectName());
  }
  if (i->role() == QAccessible::Table) return;  // its children are the cells, one per row
  for (int c = 0; c < i->childCount(); ++c) CollectUnnamed(i->child(c), window, out, depth + 1);
}

// The interactive controls of the window that a screen reader would announce without a name.
inline QStringList Unnamed(QWidget& window) {
  QStringList out;
  CollectUnnamed(Of(&window), window, out, 0);
  return out;
}

// The names of a grid's column headers, in model order.
inline QStringList ColumnHeaders(QWidget* view) {
  QStringList out;
  QAccessibleInterface* table = Of(view);
  for (int c = 0; table && c < table->childCount(); ++c) {
    QAccessibleInterface* cell = table->child(c);
    if (cell && cell->role() == QAccessible::ColumnHeader) out << cell->text(QAccessible::Name);
    if (cell && cell->role() == QAccessible::Cell) break;
  }
  return out;
}

}  // namespace a11y
