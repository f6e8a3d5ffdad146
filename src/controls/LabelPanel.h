#pragma once
// The caption panel in front of a data-entry field: a flat coloured box with centred text whose
// colours are Windows colour values, so that forms can restyle it by colour.

#include "controls/ControlSupport.h"

#include <QLabel>

class LabelPanel : public QLabel {
  Q_OBJECT

 public:
  // The teal of the old design; DecorateForm restyles panels of this colour.
  static constexpr controls::OleColor kDesignBack = 8421376;

  explicit LabelPanel(const QString& caption, QWidget* parent = nullptr);

  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
  controls::OleColor BackColor() const { return m_back; }
  void SetBackColor(controls::OleColor color);
  controls::OleColor ForeColor() const { return m_fore; }
  void SetForeColor(controls::OleColor color);

 private:
  void ApplyColors();

  controls::OleColor m_back = kDesignBack;
  controls::OleColor m_fore = 0xFFFFFF;
};
