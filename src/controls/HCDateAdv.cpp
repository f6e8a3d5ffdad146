#include "controls/HCDateAdv.h"

#include "controls/DateBox.h"
#include "controls/EasyDateRules.h"

#include <QApplication>

namespace {

constexpr controls::OleColor kSysWindow = 0x80000005;

QFont ContainerFont(const QWidget* control) {
  return control->parentWidget() ? control->parentWidget()->font() : QApplication::font();
}

}  // namespace

HCDateAdv::HCDateAdv(QWidget* parent) : QWidget(parent) {
  dateBox = new DateBox(this);
  meDate = dateBox->meDate;
  udMvDay = dateBox->udMvDay;
  cmdCaln = dateBox->cmdCaln;
  connect(dateBox, &DateBox::KeyDown, this,
          [this](int& code, int shift) { emit KeyDown(code, shift); });
  connect(dateBox, &DateBox::KeyPress, this, [this](int& ascii) { emit KeyPress(ascii); });
  connect(dateBox, &DateBox::KeyUp, this,
          [this](int& code, int shift) { emit KeyUp(code, shift); });
  connect(dateBox, &DateBox::Change, this, &HCDateAdv::Change);
  connect(dateBox, &DateBox::DateClick, this, &HCDateAdv::DateClick);
  setFocusProxy(meDate);
  resize(sizeHint());
}

void HCDateAdv::SetForeColor(controls::OleColor color) {
  m_foreColor = color;
  emit PropertyChanged(QStringLiteral("ForeColor"));
}

void HCDateAdv::SetBackStyle(int value) {
  m_backStyle = std::int16_t(value);
  emit PropertyChanged(QStringLiteral("BackStyle"));
}

void HCDateAdv::SetBorderStyle(int value) {
  m_borderStyle = std::int16_t(value);
  emit PropertyChanged(QStringLiteral("BorderStyle"));
}

void HCDateAdv::Refresh() {
  update();
  dateBox->update();
}

QString HCDateAdv::Text() const { return dateBox->Text(); }

void HCDateAdv::SetText(const QString& text) {
  dateBox->SetText(text);
  emit PropertyChanged(QStringLiteral("Text"));
}

void HCDateAdv::ToDay() { dateBox->SetToday(); }

void HCDateAdv::SetEnabled(bool enabled) {
  setEnabled(enabled);
  emit PropertyChanged(QStringLiteral("Enabled"));
}

bool HCDateAdv::FocusEffect() const { return dateBox->FocusEffect(); }

void HCDateAdv::SetFocusEffect(bool on) {
  dateBox->SetFocusEffect(on);
  emit PropertyChanged(QStringLiteral("FocusEffect"));
}

controls::OleColor HCDateAdv::FocusEffectParam() const { return dateBox->FocusEffectParam(); }

void HCDateAdv::SetFocusEffectParam(controls::OleColor color) {
  dateBox->SetFocusEffectParam(color);
  emit PropertyChanged(QStringLiteral("FocusEffectParam"));
}

controls::OleColor HCDateAdv::BackColor() const { return dateBox->BackColor(); }

void HCDateAdv::SetBackColor(controls::OleColor color) {
  dateBox->SetBackColor(color);
  emit PropertyChanged(QStringLiteral("BackColor"));
}

void HCDateAdv::SetFont(const QFont& f) {
  setFont(f);
  emit PropertyChanged(QStringLiteral("Font"));
}

bool HCDateAdv::AutoTab() const { return dateBox->AutoTab(); }

void HCDateAdv::SetAutoTab(bool on) {
  dateBox->SetAutoTab(on);
  emit PropertyChanged(QStringLiteral("AutoTab"));
}

bool HCDateAdv::AllowEmpty() const { return dateBox->AllowEmpty(); }

void HCDateAdv::SetAllowEmpty(bool on) {
  dateBox->SetAllowEmpty(on);
  emit PropertyChanged(QStringLiteral("AllowEmpty"));
}

void HCDateAdv::WriteProperties(PropertyBag& bag) const {
  bag.clear();
  const auto put = [&bag](const char* key, const QVariant& value, const QVariant& def) {
    if (value != def) bag.append({QLatin1String(key), value});
  };
  put("ForeColor", qulonglong(m_foreColor), qulonglong(0));
  put("BackStyle", int(m_backStyle), 0);
  put("BorderStyle", int(m_borderStyle), 0);
  put("Text", dateBox->BoxText(), easydate::kEmptyBox);
  put("Enabled", isEnabled(), true);
  put("AllowEmpty", AllowEmpty(), false);
  put("FocusEffect", FocusEffect(), false);
  put("FocusEffectParam", qulonglong(FocusEffectParam()), qulonglong(0xC0E0FF));
  put("BackColor", qulonglong(BackColor()), qulonglong(kSysWindow));
  put("Font", font().toString(), ContainerFont(this).toString());
  put("AutoTab", AutoTab(), true);
}

void HCDateAdv::ReadProperties(const PropertyBag& bag) {
  const auto get = [&bag](const char* key, const QVariant& def) {
    return controls::BagValue(bag, key, def);
  };
  const auto color = [&bag](const char* key, controls::OleColor def) {
    return controls::BagColor(bag, key, def);
  };
  m_foreColor = color("ForeColor", 0);
  m_backStyle = std::int16_t(get("BackStyle", 0).toInt());
  m_borderStyle = std::int16_t(get("BorderStyle", 0).toInt());
  dateBox->SetText(get("Text", easydate::kEmptyBox).toString());
  setEnabled(get("Enabled", true).toBool());
  dateBox->SetAllowEmpty(get("AllowEmpty", false).toBool());
  dateBox->SetFocusEffect(get("FocusEffect", false).toBool());
  dateBox->SetFocusEffectParam(color("FocusEffectParam", 0xC0E0FF));
  dateBox->SetBackColor(color("BackColor", kSysWindow));
  const QString fontText = get("Font", QString()).toString();
  QFont f;
  if (!fontText.isEmpty() && f.fromString(fontText)) setFont(f);
  dateBox->SetAutoTab(get("AutoTab", true).toBool());
}

QSize HCDateAdv::sizeHint() const { return dateBox->sizeHint(); }

void HCDateAdv::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  dateBox->setGeometry(rect());
}
