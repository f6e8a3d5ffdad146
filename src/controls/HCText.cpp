#include "controls/HCText.h"

#include "controls/OwnedLineEdit.h"

#include "controls/NumberFormat.h"
#include "controls/TelFormat.h"
#include "platform/AppState.h"
#include "platform/Cp949.h"
#include "platform/InputMode.h"
#include "platform/KeyCodes.h"
#include "platform/Numbers.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <climits>

// The inner edit box: hands its keys, focus changes and input-method text to the control.
class HCTextBox final : public controls::OwnedLineEdit<HCText> {
 public:
  using OwnedLineEdit::OwnedLineEdit;

 protected:
  // The standard menu, with Paste going through the control's rules instead of straight in.
  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu* menu = createStandardContextMenu();
    if (!menu) return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (m_owner) {
      const QString paste = QLineEdit::tr("&Paste");
      for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste") &&
            !action->text().startsWith(paste))
          continue;
        action->disconnect(this);
        connect(action, &QAction::triggered, this, [this] {
          if (m_owner) m_owner->Paste(QGuiApplication::clipboard()->text());
        });
      }
    }
    menu->popup(event->globalPos());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    // The middle button pastes the selection of other programs; the same rules apply to it.
    if (m_owner && event->button() == Qt::MiddleButton &&
        QGuiApplication::clipboard()->supportsSelection()) {
      event->accept();
      if (isReadOnly()) return;
      deselect();
      m_owner->Paste(QGuiApplication::clipboard()->text(QClipboard::Selection));
      return;
    }
    QLineEdit::mouseReleaseEvent(event);
    if (m_owner && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
      emit m_owner->Click();
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QLineEdit::mouseDoubleClickEvent(event);
    if (m_owner) emit m_owner->DblClick();
  }
};

namespace {

constexpr controls::OleColor kDisabledGrey = 0xE0E0E0;
constexpr int kTwipsPerPixel = 15;

bool IsDigitKind(int kind) {
  return kind == HCText::kNumber || kind == HCText::kTelNo || kind == HCText::kTime ||
         kind == HCText::kCode10;
}

bool IsDigitChar(int ch) { return ch >= '0' && ch <= '9'; }

bool IsLatinLetter(int ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

QString RightTrimmed(QString text) {
  while (!text.isEmpty() && text.back() == u' ') text.chop(1);
  return text;
}

}  // namespace

HCText::~HCText() { static_cast<HCTextBox*>(txtBox)->Detach(); }

HCText::HCText(QWidget* parent) : QWidget(parent) {
  txtBox = new HCTextBox(this);
  setFocusProxy(txtBox);
  setFocusPolicy(Qt::StrongFocus);
  txtBox->setAcceptDrops(false);  // a drop would bypass the key rules
  const std::int16_t os = OSTypeCode();
  // Systems older than Vista lost the mode when switching fields the old way; leave them alone.
  m_imeMemory = !(os >= 1 && os <= 79);
  m_firstFocus = m_imeMemory;
  m_lineWidth = m_edgeWidth;
  m_lineColor = m_edgeColor;
  SetBoxBase(m_backColor);
  connect(txtBox, &QLineEdit::textChanged, this, &HCText::OnTextChanged);
  Relayout();
}

// ---- properties ----

void HCText::SetEnabled(bool enabled) {
  setEnabled(enabled);
  SetBoxBase(enabled ? controls::kWhite : kDisabledGrey);
  emit PropertyChanged(QStringLiteral("Enabled"));
}

void HCText::SetForeColor(controls::OleColor color) {
  m_foreColor = color;
  QPalette pal = txtBox->palette();
  pal.setColor(QPalette::Text, controls::ToQColor(color, palette()));
  txtBox->setPalette(pal);
  emit PropertyChanged(QStringLiteral("ForeColor"));
}

QString HCText::Text() const {
  if (m_acceptType == kNumber && m_showSeparate) {
    return numfmt::FormatNumber(txtBox->text(), m_decPlace, false);
  }
  return txtBox->text();
}

void HCText::SetText(const QString& text) {
  txtBox->setText(text);
  if (m_acceptType == kNumber && m_showSeparate) {
    txtBox->setText(numfmt::FormatNumber(txtBox->text(), m_decPlace, true));
  }
  emit PropertyChanged(QStringLiteral("Text"));
}

void HCText::SetConvertCase(int value) {
  m_convertCase = value;
  emit PropertyChanged(QStringLiteral("ConvertCase"));
}

void HCText::SetAcceptType(int kind) {
  m_acceptType = kind;
  AlignForKind();
  // Windows build their fields in code rather than load them, so the empty number field gets
  // the "0" that loading would have given it.
  if (kind == kNumber && txtBox->text().isEmpty()) txtBox->setText(QStringLiteral("0"));
  emit PropertyChanged(QStringLiteral("AcceptType"));
}

void HCText::AlignForKind() {
  txtBox->setAlignment(m_acceptType == kNumber ? (Qt::AlignRight | Qt::AlignVCenter)
                                               : (Qt::AlignLeft | Qt::AlignVCenter));
}

void HCText::SetShowSeparate(bool on) {
  m_showSeparate = on;
  if (m_acceptType == kNumber && numfmt::ParseNumber(txtBox->text())) {
    txtBox->setText(numfmt::FormatNumber(txtBox->text(), 0, on));
  }
  emit PropertyChanged(QStringLiteral("ShowSeparate"));
}

void HCText::SetMaxLength(int bytes) {
  m_maxLength = std::max(0, bytes);
  emit PropertyChanged(QStringLiteral("MaxLength"));
}

void HCText::SetLocked(bool locked) {
  txtBox->setReadOnly(locked);
  ApplyInputMethodUse();
  emit PropertyChanged(QStringLiteral("Locked"));
}

void HCText::SetIMEMode(int mode) {
  m_imeMode = mode;
  ApplyInputMethodUse();
  emit PropertyChanged(QStringLiteral("IMEMode"));
}

void HCText::ApplyInputMethodUse() {
  // A locked field takes no input-method text whatever its mode: a locked ID must not change.
  const bool locked = txtBox->isReadOnly();
  txtBox->setAttribute(Qt::WA_InputMethodEnabled, !locked && m_imeMode != 3);
  txtBox->setInputMethodHints(!locked && m_imeMode == 8 ? Qt::ImhLatinOnly : Qt::ImhNone);
  if (txtBox->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

void HCText::SetDecPlace(int places) {
  if (places < 0) {
    MsgBox(QStringLiteral("음수는 설정할 수 없습니다."));
    places = 0;
  }
  m_decPlace = places;
  emit PropertyChanged(QStringLiteral("DecPlace"));
}

void HCText::SetPasswordChar(const QString& ch) {
  m_passwordChar = ch.left(1);
  txtBox->setEchoMode(m_passwordChar.isEmpty() ? QLineEdit::Normal : QLineEdit::Password);
  emit PropertyChanged(QStringLiteral("PasswordChar"));
}

void HCText::SetAutoTab(bool on) {
  m_autoTab = on;
  emit PropertyChanged(QStringLiteral("AutoTab"));
}

void HCText::SetAppearance(int value) {
  m_appearance = value;
  Relayout();
  emit PropertyChanged(QStringLiteral("Appearance"));
}

void HCText::SetFont(const QFont& f) {
  setFont(f);
  emit PropertyChanged(QStringLiteral("Font"));
}

void HCText::SetFocusEffect(bool on) {
  m_focusEffect = on;
  emit PropertyChanged(QStringLiteral("FocusEffect"));
}

void HCText::SetFocusEffectParam(controls::OleColor color) {
  m_focusEffectParam = color;
  emit PropertyChanged(QStringLiteral("FocusEffectParam"));
}

void HCText::SetBackColor(controls::OleColor color) {
  m_backColor = color;
  SetBoxBase(color);
  emit PropertyChanged(QStringLiteral("BackColor"));
}

void HCText::SetBorderStyle(int value) {
  m_borderStyle = value;
  txtBox->setFrame(value != 0);
  Relayout();
  emit PropertyChanged(QStringLiteral("BorderStyle"));
}

void HCText::SetTopMagin(int twips) {
  m_topMagin = twips;
  Relayout();
  emit PropertyChanged(QStringLiteral("TopMagin"));
}

int HCText::SelStart() const {
  return txtBox->hasSelectedText() ? txtBox->selectionStart() : txtBox->cursorPosition();
}

void HCText::SetSelStart(int pos) { txtBox->setCursorPosition(pos); }

void HCText::SetEdgeWidth(int pixels) {
  m_edgeWidth = pixels;
  SetEdge(pixels, m_lineColor);
  emit PropertyChanged(QStringLiteral("EdgeWidth"));
}

void HCText::SetEdgeColor(controls::OleColor color) {
  m_edgeColor = color;
  SetEdge(m_lineWidth, color);
  emit PropertyChanged(QStringLiteral("EdgeColor"));
}

void HCText::SetEdgeFocus(bool on) {
  m_edgeFocus = on;
  emit PropertyChanged(QStringLiteral("EdgeFocus"));
}

void HCText::SetEdgeFocusColor(controls::OleColor color) {
  m_edgeFocusColor = color;
  emit PropertyChanged(QStringLiteral("EdgeFocusColor"));
}

// ---- stored properties ----

namespace {

QFont ContainerFont(const QWidget* control) {
  return control->parentWidget() ? control->parentWidget()->font() : QApplication::font();
}

}  // namespace

void HCText::WriteProperties(PropertyBag& bag) const {
  bag.clear();
  const auto put = [&bag](const char* key, const QVariant& value, const QVariant& def) {
    if (value != def) bag.append({QLatin1String(key), value});
  };
  put("Enabled", isEnabled(), true);
  put("ForeColor", qulonglong(m_foreColor), qulonglong(controls::kSysWindowText));
  put("Text", txtBox->text(), QString());
  put("ConvertCase", m_convertCase, 0);
  put("AcceptType", m_acceptType, int(kFreeText));
  put("ShowSeparate", m_showSeparate, false);
  put("MaxLength", m_maxLength, 0);
  put("Locked", txtBox->isReadOnly(), false);
  put("BackColor", qulonglong(m_backColor), qulonglong(controls::kWhite));
  put("bChanged", m_bChanged, false);
  put("IMEMode", m_imeMode, 0);
  put("DecPlace", m_decPlace, 0);
  put("PasswordChar", m_passwordChar, QString());
  put("AutoTab", m_autoTab, true);
  put("Appearance", m_appearance, 1);
  put("Font", font().toString(), ContainerFont(this).toString());
  put("FocusEffect", m_focusEffect, false);
  put("FocusEffectParam", qulonglong(m_focusEffectParam), qulonglong(0xC0E0FF));
  put("BorderStyle", m_borderStyle, 1);
  put("TopMagin", m_topMagin, 0);
  put("EdgeWidth", m_edgeWidth, 1);
  put("EdgeColor", double(m_edgeColor), double(controls::kWhite));
  put("EdgeFocus", m_edgeFocus, false);
  put("EdgeFocusColor", double(m_edgeFocusColor), double(controls::kWhite));
}

void HCText::ReadProperties(const PropertyBag& bag) {
  const auto get = [&bag](const char* key, const QVariant& def) {
    return controls::BagValue(bag, key, def);
  };
  const auto color = [&bag](const char* key, controls::OleColor def) {
    return controls::BagColor(bag, key, def);
  };
  // Start from a fresh control: the stored text must not meet the previous kind's formatting.
  m_acceptType = kFreeText;
  m_showSeparate = false;
  m_decPlace = 0;
  SetEnabled(get("Enabled", true).toBool());
  SetForeColor(color("ForeColor", controls::kSysWindowText));
  txtBox->setText(get("Text", QString()).toString());
  m_convertCase = get("ConvertCase", 0).toInt();
  m_acceptType = get("AcceptType", int(kFreeText)).toInt();
  m_showSeparate = get("ShowSeparate", false).toBool();
  m_maxLength = std::max(0, get("MaxLength", 0).toInt());
  AlignForKind();
  if (m_acceptType == kNumber) {
    const QString text = txtBox->text();
    if (text.isEmpty()) {
      txtBox->setText(QStringLiteral("0"));
    } else if (numfmt::ParseNumber(text)) {
      txtBox->setText(numfmt::FormatNumber(text, 0, m_showSeparate));
    }
  }
  txtBox->setReadOnly(get("Locked", false).toBool());
  m_backColor = color("BackColor", controls::kWhite);
  SetBoxBase(m_backColor);
  m_bChanged = get("bChanged", false).toBool();
  SetIMEMode(get("IMEMode", 0).toInt());
  m_decPlace = std::max(0, get("DecPlace", 0).toInt());
  SetPasswordChar(get("PasswordChar", QString()).toString());
  m_autoTab = get("AutoTab", true).toBool();
  m_appearance = get("Appearance", 1).toInt();
  const QString fontText = get("Font", QString()).toString();
  QFont f;
  if (!fontText.isEmpty() && f.fromString(fontText)) setFont(f);
  m_focusEffect = get("FocusEffect", false).toBool();
  m_focusEffectParam = color("FocusEffectParam", 0xC0E0FF);
  m_borderStyle = get("BorderStyle", 1).toInt();
  txtBox->setFrame(m_borderStyle != 0);
  m_topMagin = get("TopMagin", 0).toInt();
  m_edgeWidth = get("EdgeWidth", 1).toInt();
  m_edgeColor = color("EdgeColor", controls::kWhite);
  m_edgeFocus = get("EdgeFocus", false).toBool();
  m_edgeFocusColor = color("EdgeFocusColor", controls::kWhite);
  SetEdge(m_edgeWidth, m_edgeColor);
}

QRect HCText::LineEdgeRect(int index) const {
  return index >= 0 && index < 4 ? m_lineRects[index] : QRect();
}

QColor HCText::LineEdgeColor() const { return controls::ToQColor(m_lineColor, palette()); }

QColor HCText::ControlBackground() const { return controls::ToQColor(m_controlBack, palette()); }

QSize HCText::sizeHint() const { return txtBox->sizeHint(); }

// ---- time ----

QString HCText::FormatTime(const QString& text) const {
  QString s = text;
  switch (s.size()) {
    case 1:
    case 2:
      s = numfmt::FormatDigits(s, u"00") + QStringLiteral(":00");
      break;
    case 4:
      s = s.left(2) + u':' + s.right(2);
      break;
    case 5:
      s[2] = u':';
      break;
    default:
      return QString();
  }
  static const QRegularExpression time(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
  const QRegularExpressionMatch m = time.match(s);
  if (m.hasMatch() && m.captured(1).toInt() <= 23 && m.captured(2).toInt() <= 59) {
    return m.captured(1).rightJustified(2, u'0') + u':' + m.captured(2);
  }
  MsgInfo(QStringLiteral("[") + s +
          QStringLiteral("]는 시간형식이 아닙니다.(00:00~23:59)\n"
                         "시:분 방식으로 입력하세요.\n"
                         "예) 14:25 또는 1425\n"
                         "     01:05 또는 0105"));
  return QString();
}

// ---- keys ----

void HCText::BoxKeyPress(QKeyEvent* event) {
  auto* box = static_cast<HCTextBox*>(txtBox);
  const int code = keys::VbKeyCode(*event);
  const int shift = keys::VbShift(event->modifiers());
  const QString text = txtBox->text();
  const int sel = SelStart();

  // The decimal point stays: Delete in front of it does nothing at all.
  if (code == 46 && m_acceptType == kNumber && m_decPlace >= 1 && sel < text.size() &&
      text[sel] == u'.') {
    event->accept();
    return;
  }
  // "." is refused as a character; the key takes the caret into the decimals instead.
  if ((code == 110 || code == 190) && m_decPlace > 0) {
    const qsizetype dot = text.indexOf(u'.');
    txtBox->setCursorPosition(dot < 0 ? 0 : int(dot) + 1);
  }
  if (code == 229 && m_imeMemory) {
    RememberInputMode();
    m_modeSeenComposing = false;  // the key may switch the mode: the next composing asks again
  }
  emit KeyDown(code, shift);
  if (m_autoTab && (code == 40 || code == 38)) {
    event->accept();
    SendTab(code == 38);
    return;
  }

  const int original = keys::VbKeyAscii(*event);
  if (original == 0) {
    box->BaseKeyPress(event);
    return;
  }
  int keyAscii = original;
  emit KeyPress(keyAscii);
  if (keyAscii == 27) {
    // Esc belongs to the window (a dialog's cancel), not to the field.
    box->BaseKeyPress(event);
    return;
  }
  if (keyAscii != 0) keyAscii = FilterChar(keyAscii);
  event->accept();
  if (keyAscii == 0) return;
  if (keyAscii == 13) {
    if (m_autoTab) SendTab(false);
    return;
  }
  Deliver(keyAscii, original, event);
}

int HCText::FilterChar(int keyAscii, bool beep) {
  const auto refuse = [beep] {
    if (beep) controls::Beep();
    return 0;
  };
  const QString text = txtBox->text();
  const int sel = SelStart();
  bool allowed = false;
  if (keyAscii == 8) {
    if (m_acceptType == kNumber && m_decPlace > 0 && sel > 0 && text[sel - 1] == u'.') return 0;
    allowed = true;
  } else if (keyAscii == 13 || (keyAscii == '-' && m_acceptType == kNumber)) {
    allowed = true;
  }

  if (IsDigitKind(m_acceptType)) {
    if (!allowed && keyAscii != 3 && keyAscii != 22 && !IsDigitChar(keyAscii)) {
      return refuse();
    }
    if (m_acceptType == kTelNo && keyAscii == 22) {
      // A number copied from elsewhere comes in already grouped.
      QClipboard* clip = QGuiApplication::clipboard();
      const QString formatted = FormatTelNo(clip->text());
      if (!IsDigitsOnly(QString(formatted).remove(u'-'))) return refuse();
      clip->setText(formatted);
    }
    return keyAscii;
  }
  if (m_acceptType == kLetters && !allowed && !IsLatinLetter(keyAscii)) return refuse();
  if (m_convertCase == 1 || m_convertCase == 2) {
    const QChar ch{char16_t(keyAscii)};
    keyAscii = (m_convertCase == 1 ? ch.toUpper() : ch.toLower()).unicode();
  }
  return keyAscii;
}

void HCText::Deliver(int keyAscii, int original, QKeyEvent* event) {
  auto* box = static_cast<HCTextBox*>(txtBox);
  // The box limit counts characters, as the old edit box did; bytes are checked on key up.
  const int room = m_maxLength > 0
                       ? m_maxLength - int(txtBox->text().size() - txtBox->selectedText().size())
                       : INT_MAX;
  if (keyAscii == 22) {
    Paste(QGuiApplication::clipboard()->text());
    return;
  }
  if (keyAscii == original) {
    if (keyAscii >= 32 && room < 1) {
      controls::Beep();
      return;
    }
    box->BaseKeyPress(event);
    return;
  }
  switch (keyAscii) {
    case 8: {
      QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
      box->BaseKeyPress(&backspace);
      return;
    }
    case 3:
      txtBox->copy();
      return;
    case 24:
      if (!txtBox->isReadOnly()) txtBox->cut();
      return;
    case 26:
      if (!txtBox->isReadOnly()) txtBox->undo();
      return;
    default:
      break;
  }
  if (keyAscii < 32) return;
  if (room < 1) {
    controls::Beep();
    return;
  }
  QKeyEvent typed(QEvent::KeyPress, event->key(), event->modifiers() & Qt::ShiftModifier,
                  QString(QChar(char16_t(keyAscii))));
  box->BaseKeyPress(&typed);
}

void HCText::BoxKeyRelease(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  emit KeyUp(keys::VbKeyCode(*event), keys::VbShift(event->modifiers()));
  if (!txtBox->text().isEmpty() && m_maxLength > 0) CutToMaxLength();
}

void HCText::CutToMaxLength() {
  const QString text = txtBox->text();
  if (cp949::ByteLength(text) <= m_maxLength) return;
  txtBox->setText(text.left(cp949::FitBytes(text, m_maxLength)));
  txtBox->setCursorPosition(int(txtBox->text().size()));
}

void HCText::SendTab(bool backward) {
  QWidget* target = QApplication::focusWidget();
  if (!target) target = txtBox;
  QKeyEvent tab(QEvent::KeyPress, backward ? Qt::Key_Backtab : Qt::Key_Tab,
                backward ? Qt::ShiftModifier : Qt::NoModifier);
  QCoreApplication::sendEvent(target, &tab);
}

void HCText::BoxInputMethod(QInputMethodEvent* event) {
  auto* box = static_cast<HCTextBox*>(txtBox);
  const QString commit = event->commitString();
  // The user is composing: whatever mode that is, it is this field's mode from now on. (The
  // input method also sends empty events, when a field takes the focus.) Asked once, not at
  // every keystroke of the syllables that follow: each asking waits for the input method.
  if (m_imeMemory && !m_modeSeenComposing &&
      (!commit.isEmpty() || !event->preeditString().isEmpty())) {
    RememberInputMode();
    m_modeSeenComposing = true;
  }
  if (commit.isEmpty()) {
    box->BaseInputMethod(event);
    return;
  }
  QString accepted;
  for (QChar ch : commit) {
    int keyAscii = ch.unicode();
    emit KeyPress(keyAscii);
    if (keyAscii != 0) keyAscii = FilterChar(keyAscii);
    if (keyAscii >= 32) accepted += QChar(char16_t(keyAscii));
  }
  if (m_maxLength > 0) {
    const int room = m_maxLength - int(txtBox->text().size() - txtBox->selectedText().size());
    accepted = accepted.left(std::max(0, room));
  }
  if (accepted == commit) {
    box->BaseInputMethod(event);
  } else {
    QInputMethodEvent changed(event->preeditString(), event->attributes());
    changed.setCommitString(accepted, event->replacementStart(), event->replacementLength());
    box->BaseInputMethod(&changed);
  }
  // Composed syllables come without key releases here; cut as the release would have.
  if (m_maxLength > 0 && !txtBox->text().isEmpty()) CutToMaxLength();
}

void HCText::RememberInputMode() { m_rememberedHangul = GetHanEngMode(txtBox); }

// ---- focus ----

void HCText::BoxFocusIn(Qt::FocusReason) {
  // The mode may have been switched elsewhere meanwhile.
  m_modeSeenComposing = false;
  // Coming back from another window or a popup menu is no arrival.
  if (m_hasFocus) return;
  m_hasFocus = true;
  m_bChanged = false;
  if (m_focusEffect) {
    SetBoxBase(m_focusEffectParam);
    SetControlBack(m_focusEffectParam);
  }
  if (m_edgeFocus) SetEdge(m_edgeWidth + 1, m_edgeFocusColor);
  txtBox->selectAll();
  if (m_imeMode == 8 || m_imeMode == 10) SetHanEngMode(m_imeMode == 10, txtBox);
  if (m_imeMemory) {
    if (m_firstFocus) {
      RememberInputMode();
      m_firstFocus = false;
    } else if (GetHanEngMode(txtBox) != m_rememberedHangul) {
      SetHanEngMode(m_rememberedHangul, txtBox);
    }
  }
  emit GotFocus();
}

void HCText::BoxFocusOut(Qt::FocusReason reason) {
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  if (!m_hasFocus) return;
  m_hasFocus = false;
  if (m_focusEffect) {
    SetBoxBase(controls::kWhite);
    SetControlBack(controls::kWhite);
  }
  if (m_edgeFocus) SetEdge(m_edgeWidth, m_edgeColor);

  QString text = RightTrimmed(txtBox->text());
  txtBox->setText(text);
  if (m_acceptType == kNumber) {
    if (numbers::LeadingNumber(text) == 0) txtBox->setText(QStringLiteral("0"));
  } else if (!text.isEmpty()) {
    if (m_acceptType == kTelNo) {
      text = FormatTelNo(text);
    } else if (m_acceptType == kTime) {
      text = FormatTime(text);
    } else if (m_acceptType == kCode10) {
      text = numfmt::FormatDigits(QString(text).remove(u'-'), u"000-000-0000");
    }
    txtBox->setText(text);
    const int bytes = cp949::ByteLength(text);
    if (m_maxLength > 0 && bytes > m_maxLength) {
      MsgInfo(QStringLiteral("최대 입력 길이를 초과하였습니다. 입력된 자료는 길이에 맞게 자동으로 "
                             "짤립니다.\n\n현재 입력된 길이는 ") +
                  QString::number(bytes) + QStringLiteral(" 이며, 최대입력 길이는 ") +
                  QString::number(m_maxLength) +
                  QStringLiteral(" 입니다.\n(한글은 한 글자당 길이가 2입니다.)"),
              QStringLiteral("입력길이 초과"));
      txtBox->setText(text.left(cp949::FitBytes(text, m_maxLength)));
    }
  }
  emit LostFocus();
}

// ---- text changes ----

void HCText::OnTextChanged() {
  if (m_rewriting) return;
  if (m_acceptType == kNumber && m_showSeparate) {
    const QString old = txtBox->text();
    const int caret = txtBox->cursorPosition();
    int surplus = 0;
    if (m_decPlace > 0) {
      const qsizetype dot = old.indexOf(u'.');
      if (dot >= 0) surplus = int(old.size() - dot - 1) - m_decPlace;
    }
    // The formatter keeps a lone "-" and the sign of "-0", so a minus can be typed first.
    QString formatted =
        numfmt::FormatNumber(surplus > 0 ? old.chopped(surplus) : old, m_decPlace, true);
    if (formatted.contains(u'-')) formatted = u'-' + QString(formatted).remove(u'-');
    if (formatted != old) {
      int pos = caret;
      if (formatted.size() > old.size()) {
        // A separator went in before the caret; freshly added decimals lie behind it.
        if (old.contains(u'.') || m_decPlace == 0) pos = caret + 1;
      } else if (formatted.size() < old.size() && surplus <= 0) {
        pos = std::max(0, caret - 1);
      }
      WriteBoxQuietly(formatted, pos);
    }
  }
  m_bChanged = true;
  emit Change();
}

void HCText::WriteBoxQuietly(const QString& text, int caret) {
  m_rewriting = true;
  txtBox->setText(text);
  txtBox->setCursorPosition(std::min(caret, int(text.size())));
  m_rewriting = false;
}

// ---- look ----

void HCText::SetBoxBase(controls::OleColor color) {
  QPalette pal = txtBox->palette();
  pal.setColor(QPalette::Base, controls::ToQColor(color, palette()));
  txtBox->setPalette(pal);
}

void HCText::SetControlBack(controls::OleColor color) {
  m_controlBack = color;
  update();
}

void HCText::SetEdge(int width, controls::OleColor color) {
  m_lineWidth = std::max(0, width);
  m_lineColor = color;
  Relayout();
}

void HCText::Relayout() {
  m_linesVisible = m_appearance == 0 && m_borderStyle == 0;
  const int inset = m_linesVisible ? m_lineWidth : 0;
  int top = 0;
  if (height() * kTwipsPerPixel >= 2 * m_topMagin) top = inset + m_topMagin / kTwipsPerPixel;
  if (top > 0) m_controlBack = controls::kWhite;
  txtBox->setGeometry(inset, top, std::max(0, width() - 2 * inset),
                      std::max(0, height() - 2 * top));
  const int w = m_lineWidth;
  m_lineRects[0] = QRect(0, 0, width(), w);
  m_lineRects[1] = QRect(0, height() - w, width(), w);
  m_lineRects[2] = QRect(0, 0, w, height());
  m_lineRects[3] = QRect(width() - w, 0, w, height());
  update();
}

void HCText::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}

void HCText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ControlBackground());
  if (!m_linesVisible || m_lineWidth <= 0) return;
  for (const QRect& line : m_lineRects) painter.fillRect(line, LineEdgeColor());
}
