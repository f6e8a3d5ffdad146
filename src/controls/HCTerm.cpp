#include "controls/HCTerm.h"

#include "controls/DateBox.h"
#include "controls/EasyDateRules.h"
#include "controls/FrmEasyDate.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>

namespace {

QString TodayText() { return easydate::DateText(clock_::LocalNow().date()); }

QFont ContainerFont(const QWidget* control) {
  return control->parentWidget() ? control->parentWidget()->font() : QApplication::font();
}

}  // namespace

HCTerm::HCTerm(QWidget* parent) : QWidget(parent) {
  for (size_t i = 0; i < 2; ++i) {
    DateBox* box = new DateBox(this);
    box->setObjectName(i == 0 ? QStringLiteral("dateBox0") : QStringLiteral("dateBox1"));
    box->SetToday();
    dateBox[i] = box;
    meDate[i] = box->meDate;
    udMvDay[i] = box->udMvDay;
    cmdCaln[i] = box->cmdCaln;
    connect(box, &DateBox::KeyDown, this,
            [this](int& code, int shift) { emit KeyDown(code, shift); });
    connect(box, &DateBox::KeyPress, this, [this](int& ascii) { emit KeyPress(ascii); });
    connect(box, &DateBox::KeyUp, this, [this](int& code, int shift) { emit KeyUp(code, shift); });
    connect(box, &DateBox::Change, this, &HCTerm::Change);
    connect(box, &DateBox::DateClick, this, &HCTerm::DateClick);
  }
  connect(dateBox[0], &DateBox::Left, this, [this] { CarryFromDate(*dateBox[0], *dateBox[1]); });
  auto* tilde = new QLabel(QStringLiteral("~"), this);
  tilde->setAlignment(Qt::AlignCenter);
  m_tilde = tilde;
  cmdAdvn = new QToolButton(this);
  cmdAdvn->setObjectName(QStringLiteral("cmdAdvn"));
  cmdAdvn->setText(QStringLiteral("..."));
  cmdAdvn->setToolTip(QStringLiteral("기간 간편설정"));
  cmdAdvn->setFocusPolicy(Qt::NoFocus);
  connect(cmdAdvn, &QToolButton::clicked, this, &HCTerm::cmdAdvn_Click);
  setFocusProxy(meDate[0]);
  NameParts(QStringLiteral("기간"));
  resize(sizeHint());
}

void HCTerm::NameParts(const QString& name) {
  const QString parts[2] = {name + QStringLiteral(" 시작"), name + QStringLiteral(" 끝")};
  for (size_t i = 0; i < 2; ++i) {
    dateBox[i]->setAccessibleName(parts[i]);
    dateBox[i]->NameParts(parts[i]);
  }
  cmdAdvn->setAccessibleName(name + QStringLiteral(" 간편설정"));
}

// ---- properties ----

void HCTerm::SetForeColor(controls::OleColor color) {
  m_foreColor = color;
  emit PropertyChanged(QStringLiteral("ForeColor"));
}

void HCTerm::SetBackStyle(int value) {
  m_backStyle = std::int16_t(value);
  emit PropertyChanged(QStringLiteral("BackStyle"));
}

void HCTerm::SetBorderStyle(int value) {
  m_borderStyle = std::int16_t(value);
  emit PropertyChanged(QStringLiteral("BorderStyle"));
}

void HCTerm::Refresh() {
  update();
  for (DateBox* box : dateBox) box->update();
}

QString HCTerm::Text1() const { return dateBox[0]->Text(); }

void HCTerm::SetText1(const QString& text) {
  dateBox[0]->SetText(text);
  emit PropertyChanged(QStringLiteral("Text1"));
}

QString HCTerm::Text2() const { return dateBox[1]->Text(); }

void HCTerm::SetText2(const QString& text) {
  dateBox[1]->SetText(text);
  emit PropertyChanged(QStringLiteral("Text2"));
}

void HCTerm::SetEasyDateShowPos(int value) {
  m_easyDateShowPos = std::int16_t(value);
  emit PropertyChanged(QStringLiteral("EasyDateShowPos"));
}

void HCTerm::ToDay() {
  dateBox[0]->SetToday();
  dateBox[1]->SetToday();
}

void HCTerm::ThisMonth() {
  const QDate today = clock_::LocalNow().date();
  dateBox[0]->SetText(easydate::DateText(QDate(today.year(), today.month(), 1)));
  dateBox[1]->SetToday();
}

void HCTerm::ThisYear() {
  const QDate today = clock_::LocalNow().date();
  dateBox[0]->SetText(easydate::DateText(QDate(today.year(), 1, 1)));
  dateBox[1]->SetToday();
}

bool HCTerm::FocusEffect() const { return dateBox[0]->FocusEffect(); }

void HCTerm::SetFocusEffect(bool on) {
  for (DateBox* box : dateBox) box->SetFocusEffect(on);
  emit PropertyChanged(QStringLiteral("FocusEffect"));
}

controls::OleColor HCTerm::FocusEffectParam() const { return dateBox[0]->FocusEffectParam(); }

void HCTerm::SetFocusEffectParam(controls::OleColor color) {
  for (DateBox* box : dateBox) box->SetFocusEffectParam(color);
  emit PropertyChanged(QStringLiteral("FocusEffectParam"));
}

void HCTerm::SetFont(const QFont& f) {
  setFont(f);
  Relayout();
  emit PropertyChanged(QStringLiteral("Font"));
}

bool HCTerm::AutoTab() const { return dateBox[0]->AutoTab(); }

void HCTerm::SetAutoTab(bool on) {
  for (DateBox* box : dateBox) box->SetAutoTab(on);
  emit PropertyChanged(QStringLiteral("AutoTab"));
}

bool HCTerm::AllowEmpty() const { return dateBox[0]->AllowEmpty(); }

void HCTerm::SetAllowEmpty(bool on) {
  for (DateBox* box : dateBox) box->SetAllowEmpty(on);
  emit PropertyChanged(QStringLiteral("AllowEmpty"));
}

// ---- stored properties ----

void HCTerm::WriteProperties(PropertyBag& bag) const {
  bag.clear();
  const auto put = [&bag](const char* key, const QVariant& value, const QVariant& def) {
    if (value != def) bag.append({QLatin1String(key), value});
  };
  const QString today = TodayText();
  put("ForeColor", qulonglong(m_foreColor), qulonglong(0));
  put("BackStyle", int(m_backStyle), 0);
  put("BorderStyle", int(m_borderStyle), 0);
  put("Text1", dateBox[0]->BoxText(), today);
  put("Text2", dateBox[1]->BoxText(), today);
  put("AllowEmpty", AllowEmpty(), false);
  put("FocusEffect", FocusEffect(), false);
  put("FocusEffectParam", qulonglong(FocusEffectParam()), qulonglong(0xC0E0FF));
  put("Font", font().toString(), ContainerFont(this).toString());
  put("AutoTab", AutoTab(), true);
  put("EasyDateShowPos", int(m_easyDateShowPos), 0);
}

void HCTerm::ReadProperties(const PropertyBag& bag) {
  const auto get = [&bag](const char* key, const QVariant& def) {
    return controls::BagValue(bag, key, def);
  };
  const auto color = [&bag](const char* key, controls::OleColor def) {
    return controls::BagColor(bag, key, def);
  };
  const QString today = TodayText();
  m_foreColor = color("ForeColor", 0);
  m_backStyle = std::int16_t(get("BackStyle", 0).toInt());
  m_borderStyle = std::int16_t(get("BorderStyle", 0).toInt());
  dateBox[0]->SetText(get("Text1", today).toString());
  dateBox[1]->SetText(get("Text2", today).toString());
  const bool allowEmpty = get("AllowEmpty", false).toBool();
  const bool focusEffect = get("FocusEffect", false).toBool();
  const controls::OleColor focusColor = color("FocusEffectParam", 0xC0E0FF);
  for (DateBox* box : dateBox) {
    box->SetAllowEmpty(allowEmpty);
    box->SetFocusEffect(focusEffect);
    box->SetFocusEffectParam(focusColor);
  }
  const QString fontText = get("Font", QString()).toString();
  QFont f;
  if (!fontText.isEmpty() && f.fromString(fontText)) setFont(f);
  const bool autoTab = get("AutoTab", true).toBool();
  for (DateBox* box : dateBox) box->SetAutoTab(autoTab);
  m_easyDateShowPos = std::int16_t(get("EasyDateShowPos", 0).toInt());
  Relayout();
}

// ---- quick period ----

void HCTerm::cmdAdvn_Click() {
  FrmEasyDate dialog(this);
  dialog.SetText1(dateBox[0]->BoxText());
  dialog.SetText2(dateBox[1]->BoxText());
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  switch (m_easyDateShowPos) {
    case 0:
      dialog.move(origin);
      break;
    case 1:
      dialog.move(origin.x() + width() - dialog.width(), origin.y());
      break;
    case 2:
      dialog.move(origin.x() + (width() - dialog.width()) / 2, origin.y());
      break;
    default:
      break;
  }
  ShowModal(dialog);
  if (dialog.OK()) {
    dateBox[0]->SetText(dialog.Text1());
    dateBox[1]->SetText(dialog.Text2());
  }
  meDate[0]->setFocus(Qt::OtherFocusReason);
}

// ---- look ----

QSize HCTerm::sizeHint() const {
  const QSize box = dateBox[0]->sizeHint();
  return QSize(2 * box.width() + 16 + box.height() + 4, box.height());
}

void HCTerm::Relayout() {
  const int h = height();
  const int tilde = 16;
  const int advn = h;
  const int boxWidth = std::max(0, (width() - tilde - advn - 2) / 2);
  dateBox[0]->setGeometry(0, 0, boxWidth, h);
  m_tilde->setGeometry(boxWidth, 0, tilde, h);
  dateBox[1]->setGeometry(boxWidth + tilde, 0, boxWidth, h);
  cmdAdvn->setGeometry(width() - advn, 0, advn, h);
}

void HCTerm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}
