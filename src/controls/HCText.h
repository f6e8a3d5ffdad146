#pragma once
// HCText, the single-line field of every data-entry window (instances named htField): one edit
// box plus four drawn frame lines, adding input kinds, live number formatting, telephone and time
// formatting on leaving, a byte-counted length limit (Hangul counts 2), case conversion, Enter
// and Up/Down moving the focus, a focus colour and frame, and a per-field memory of the
// Hangul/English input mode.

#include "controls/ControlSupport.h"

#include <QLineEdit>
#include <QList>
#include <QPair>
#include <QRect>
#include <QVariant>
#include <QWidget>

class HCText : public QWidget {
  Q_OBJECT

 public:
  // AcceptType values.
  enum Kind { kFreeText = 0, kNumber = 1, kLetters = 2, kTelNo = 3, kTime = 4, kCode10 = 5 };

  explicit HCText(QWidget* parent = nullptr);
  ~HCText() override;

  // The inner edit box; hosts reach the box's own focus events through it.
  QLineEdit* txtBox = nullptr;

  bool Enabled() const { return isEnabled(); }
  // Also paints the box white (enabled) or light grey (disabled).
  void SetEnabled(bool enabled);
  QWidget* hWnd() const { return txtBox; }
  controls::OleColor ForeColor() const { return m_foreColor; }
  void SetForeColor(controls::OleColor color);

  // Kind 1 with separators reads without them ("1,234.50" reads "1234.50"); otherwise the box
  // text as it stands (telephone and time texts keep "-" and ":").
  QString Text() const;
  void SetText(const QString& text);

  int ConvertCase() const { return m_convertCase; }  // 0 none, 1 upper, 2 lower
  void SetConvertCase(int value);
  int AcceptType() const { return m_acceptType; }
  // Aligns the box (numbers right) and gives an empty number field its "0"; an existing text is
  // not reformatted.
  void SetAcceptType(int kind);
  bool ShowSeparate() const { return m_showSeparate; }
  // Reformats a numeric kind-1 text with the whole-number pattern "#,##0" (on) or "0" (off).
  void SetShowSeparate(bool on);
  // In bytes of code page 949; 0 is no limit. Also the box's own limit in characters.
  int MaxLength() const { return m_maxLength; }
  void SetMaxLength(int bytes);
  bool Locked() const { return txtBox->isReadOnly(); }
  void SetLocked(bool locked);
  // True once the text changed since the field last received the focus. Read-only.
  bool bChanged() const { return m_bChanged; }
  // 0 no control, 3 disabled, 8 alphanumeric, 10 Hangul; applied when the field gets the focus.
  int IMEMode() const { return m_imeMode; }
  void SetIMEMode(int mode);
  int DecPlace() const { return m_decPlace; }
  // A negative count is refused with a message and stored as 0.
  void SetDecPlace(int places);
  QString PasswordChar() const { return m_passwordChar; }
  void SetPasswordChar(const QString& ch);
  bool AutoTab() const { return m_autoTab; }
  void SetAutoTab(bool on);
  int Appearance() const { return m_appearance; }  // 0 flat, 1 3-D
  void SetAppearance(int value);
  QFont Font() const { return font(); }
  void SetFont(const QFont& f);
  bool FocusEffect() const { return m_focusEffect; }
  void SetFocusEffect(bool on);
  controls::OleColor FocusEffectParam() const { return m_focusEffectParam; }
  void SetFocusEffectParam(controls::OleColor color);
  controls::OleColor BackColor() const { return m_backColor; }
  void SetBackColor(controls::OleColor color);
  int BorderStyle() const { return m_borderStyle; }  // 0 none, 1 single
  void SetBorderStyle(int value);
  int TopMagin() const { return m_topMagin; }  // twips
  void SetTopMagin(int twips);
  int SelStart() const;
  void SetSelStart(int pos);
  int EdgeWidth() const { return m_edgeWidth; }  // pixels
  void SetEdgeWidth(int pixels);
  controls::OleColor EdgeColor() const { return m_edgeColor; }
  void SetEdgeColor(controls::OleColor color);
  bool EdgeFocus() const { return m_edgeFocus; }
  void SetEdgeFocus(bool on);
  controls::OleColor EdgeFocusColor() const { return m_edgeFocusColor; }
  void SetEdgeFocusColor(controls::OleColor color);

  // "HH:MM" from 9, 14, 1425, 14.25 or 14:25; empty for other lengths, and after a message for
  // texts that are no time of day.
  QString FormatTime(const QString& text) const;

  // Frame line i (0 top, 1 bottom, 2 left, 3 right): where it is drawn, whether it shows.
  QRect LineEdgeRect(int index) const;
  bool LineEdgeVisible() const { return m_linesVisible; }
  QColor LineEdgeColor() const;
  // The control's own background (behind the box and the lines).
  QColor ControlBackground() const;

  // What a form keeps of the control, in writing order; properties at their default are left
  // out. Reading applies the stored values with the side effects of loading a form.
  using PropertyBag = controls::PropertyBag;
  void WriteProperties(PropertyBag& bag) const;
  void ReadProperties(const PropertyBag& bag);

  QSize sizeHint() const override;

 signals:
  // The host may change the character or cancel it (0).
  void KeyPress(int& KeyAscii);
  void KeyUp(int KeyCode, int Shift);
  void KeyDown(int KeyCode, int Shift);
  void Change();
  void Click();
  void DblClick();
  // After the field's own arrival and leaving steps.
  void GotFocus();
  void LostFocus();
  // Every setter but SelStart reports the property it changed, for whoever keeps the form.
  void PropertyChanged(const QString& name);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  friend class HCTextBox;
  template <class>
  friend class controls::OwnedLineEdit;

  // The edit box hands its events here.
  void BoxKeyPress(QKeyEvent* event);
  void BoxKeyRelease(QKeyEvent* event);
  void BoxFocusIn(Qt::FocusReason reason);
  void BoxFocusOut(Qt::FocusReason reason);
  void BoxInputMethod(QInputMethodEvent* event);

  void OnTextChanged();
  // Runs the key-press steps on one character; returns the character to deliver, 0 to cancel.
  int FilterChar(int keyAscii, bool beep = true);
  // Puts pasted text in at the caret through the key rules and the byte limit; whatever the
  // route (keys, the context menu, the middle button).
  void Paste(const QString& pasted);
  // refused: some of the line could not go in.
  QString PastedForKind(const QString& line, bool& refused);
  void Deliver(int keyAscii, int original, QKeyEvent* event);
  void SendTab(bool backward);
  void CutToMaxLength();
  void RememberInputMode();
  void ApplyInputMethodUse();
  void SetBoxBase(controls::OleColor color);
  void SetControlBack(controls::OleColor color);
  void SetEdge(int width, controls::OleColor color);
  void AlignForKind();
  void Relayout();
  // Writes the box text without running the change handling.
  void WriteBoxQuietly(const QString& text, int caret);

  int m_convertCase = 0;
  int m_acceptType = kFreeText;
  bool m_showSeparate = false;
  int m_maxLength = 0;
  int m_imeMode = 0;
  int m_decPlace = 0;
  QString m_passwordChar;
  bool m_autoTab = true;
  int m_appearance = 1;
  bool m_focusEffect = false;
  controls::OleColor m_focusEffectParam = 0xC0E0FF;
  controls::OleColor m_backColor = controls::kWhite;
  controls::OleColor m_foreColor = controls::kSysWindowText;
  controls::OleColor m_controlBack = controls::kWhite;
  int m_borderStyle = 1;
  int m_topMagin = 0;
  int m_edgeWidth = 1;
  controls::OleColor m_edgeColor = controls::kWhite;
  bool m_edgeFocus = false;
  controls::OleColor m_edgeFocusColor = controls::kWhite;

  bool m_bChanged = false;
  bool m_rewriting = false;  // the re-entry mark
  bool m_hasFocus = false;   // between our arrival and leaving steps
  bool m_imeMemory = false;
  bool m_firstFocus = false;
  bool m_rememberedHangul = false;
  bool m_modeSeenComposing = false;  // composing has set the remembered mode since the focus came

  int m_lineWidth = 1;
  controls::OleColor m_lineColor = controls::kWhite;
  bool m_linesVisible = false;
  QRect m_lineRects[4];
};
