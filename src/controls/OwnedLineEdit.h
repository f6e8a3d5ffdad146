#pragma once
// The inner edit box of a control: hands its keys, focus changes and input-method text to the
// control that owns it. The owner detaches itself while it is destroyed, since the box still
// loses the focus then.
//
// Qt's line edit tells the input method it takes input-method text whenever it is enabled,
// read-only or not, and whatever its WA_InputMethodEnabled attribute, so the input method would
// compose in it and commit into it. This box says no while read-only or while its owner has
// taken the attribute away, and a read-only box refuses what is sent to it anyway.

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace controls {

template <class Owner>
class OwnedLineEdit : public QLineEdit {
 public:
  explicit OwnedLineEdit(Owner* owner) : QLineEdit(owner), m_owner(owner) {}

  void BaseKeyPress(QKeyEvent* event) { QLineEdit::keyPressEvent(event); }
  void BaseInputMethod(QInputMethodEvent* event) { QLineEdit::inputMethodEvent(event); }
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
    if (query == Qt::ImEnabled && (isReadOnly() || !testAttribute(Qt::WA_InputMethodEnabled)))
      return false;
    return QLineEdit::inputMethodQuery(query);
  }
  void Detach() { m_owner = nullptr; }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (m_owner)
      m_owner->BoxKeyPress(event);
    else
      QLineEdit::keyPressEvent(event);
  }
  void keyReleaseEvent(QKeyEvent* event) override {
    QLineEdit::keyReleaseEvent(event);
    if (m_owner) m_owner->BoxKeyRelease(event);
  }
  void inputMethodEvent(QInputMethodEvent* event) override {
    if (isReadOnly()) {
      event->accept();
      return;
    }
    if constexpr (requires(Owner * owner) { owner->BoxInputMethod(event); }) {
      if (m_owner) {
        m_owner->BoxInputMethod(event);
        return;
      }
    }
    QLineEdit::inputMethodEvent(event);
  }
  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    if (m_owner) m_owner->BoxFocusIn(event->reason());
  }
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    if (m_owner) m_owner->BoxFocusOut(event->reason());
  }

  Owner* m_owner;
};

}  // namespace controls
