#pragma once
// The notice itself: a small rounded panel near the bottom right of the primary screen that
// never takes the focus from the window the user is typing in, and goes away by itself.

#include <QWidget>

#include <functional>

class QLabel;

class HoverletWindow : public QWidget {
 public:
  explicit HoverletWindow(const QString& message);

  // Shows the notice, keeps it for displayMs, fades it out and then calls done.
  void Run(int displayMs, std::function<void()> done);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FadeOut();
  void PlaceOnScreen();

  QLabel* m_text = nullptr;
  std::function<void()> m_done;
  bool m_fading = false;
};
