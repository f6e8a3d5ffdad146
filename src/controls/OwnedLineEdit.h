#pragma once
// The inner edit box of a control: hands its keys and focus changes to the control that owns it.
// The owner detaches itself while it is destroyed, since the box still loses the focus then.

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace controls {

template <class Owner>
class OwnedLineEdit : public QLineEdit {
 public:
  explicit OwnedLineEdit(Owner* owner) : QLineEdit(owner), m_owner(owner) {}

  void BaseKeyPress(QKeyEvent* event) { QLineEdit::keyPressEvent(event); }
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
