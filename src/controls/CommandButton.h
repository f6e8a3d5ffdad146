#pragma once
// A push button whose caption wraps onto a second line when it does not fit, as the old
// buttons' captions did; the window bars give every button the same width.

#include <QPushButton>

class CommandButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
