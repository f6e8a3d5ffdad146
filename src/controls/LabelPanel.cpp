#include "controls/LabelPanel.h"

LabelPanel::LabelPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setAlignment(Qt::AlignCenter);
  setAutoFillBackground(true);
  setMinimumHeight(22);
  ApplyColors();
}

void LabelPanel::SetBackColor(controls::OleColor color) {
  m_back = color;
  ApplyColors();
}

void LabelPanel::SetForeColor(controls::OleColor color) {
  m_fore = color;
  ApplyColors();
}

void LabelPanel::ApplyColors() {
  QPalette p = palette();
  p.setColor(QPalette::Window, controls::ToQColor(m_back, p));
  p.setColor(QPalette::WindowText, controls::ToQColor(m_fore, p));
  setPalette(p);
}
