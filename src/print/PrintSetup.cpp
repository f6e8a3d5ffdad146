#include "print/PrintSetup.h"

#include "platform/AppState.h"
#include "platform/SettingsStore.h"

namespace print {

namespace {
const QString kMargins[4] = {QStringLiteral("PrintMarginTop"), QStringLiteral("PrintMarginBottom"),
                             QStringLiteral("PrintMarginLeft"), QStringLiteral("PrintMarginRight")};

QString Get(const Session& s, const QString& key, const QString& def) {
  return settings::GetSetting(s.settingsApp, s.settingsKey, key, def);
}
void Save(const Session& s, const QString& key, const QString& value) {
  settings::SaveSetting(s.settingsApp, s.settingsKey, key, value);
}
double ReadDouble(const Session& s, const QString& key, double def) {
  bool ok = false;
  const double v = Get(s, key, QString::number(def)).toDouble(&ok);
  return ok && v >= 0 ? v : def;
}
QString OptionKey(int index) { return QStringLiteral("CheckBox_%1").arg(index); }
}  // namespace

QString OptionCaption(int index) {
  static const char* const kCaptions[OptionCount] = {"열 헤더", "행 헤더",     "그리드 라인",
                                                     "테두리",  "데이터셀만",  "색상",
                                                     "그림자",  "페이지 맞춤", "꼬릿말"};
  return index >= 0 && index < OptionCount ? QString::fromUtf8(kCaptions[index]) : QString();
}

QStringList ZoomEntries() {
  return {QStringLiteral("200%"),       QStringLiteral("150%"),       QStringLiteral("100%"),
          QStringLiteral("75%"),        QStringLiteral("50%"),        QStringLiteral("25%"),
          QStringLiteral("10%"),        QStringLiteral("Page Width"), QStringLiteral("Page Height"),
          QStringLiteral("Whole Page"), QStringLiteral("Two Pages"),  QStringLiteral("Three Pages"),
          QStringLiteral("Four Pages"), QStringLiteral("Six Pages")};
}

QString SettingsAppFor(const QString& appName) { return appName + QStringLiteral("_PritSetUp"); }

void LoadMargins(Session& s, double top, double bottom, double left, double right) {
  PageSetup& p = s.setup;
  p.marginTop = ReadDouble(s, kMargins[0], top);
  p.marginBottom = ReadDouble(s, kMargins[1], bottom);
  p.marginLeft = ReadDouble(s, kMargins[2], left);
  p.marginRight = ReadDouble(s, kMargins[3], right);
}

void LoadOrientation(Session& s, int defaultOrientation) {
  bool ok = false;
  const int v =
      Get(s, QStringLiteral("PrintOrientation"), QString::number(defaultOrientation)).toInt(&ok);
  s.setup.orientation =
      ok && (v == OrientPortrait || v == OrientLandscape) ? v : defaultOrientation;
}

void LoadOptions(Session& s) {
  for (int i = 0; i < OptionCount; ++i) {
    if (i == OptFitToPage && !s.fitAllowed) {
      s.setup.options[size_t(i)] = false;
      continue;
    }
    const QString def = i == OptFitToPage ? QStringLiteral("0") : QStringLiteral("1");
    SetOption(s, i, Get(s, OptionKey(i), def).trimmed() == QLatin1String("1"));
  }
}

void LoadZoom(Session& s) {
  bool ok = false;
  const int v = Get(s, QStringLiteral("PrintZoomType"), QString::number(kDefaultZoom)).toInt(&ok);
  s.setup.zoom = ok && v >= 0 && v < ZoomEntries().size() ? v : kDefaultZoom;
}

int LoadCopies(const Session& s) {
  bool ok = false;
  const int v = Get(s, QStringLiteral("인쇄시여러장인쇄"), QStringLiteral("1")).toInt(&ok);
  return ok && v > 0 ? v : 1;
}

void StoreMargins(const Session& s) {
  const PageSetup& p = s.setup;
  const double values[4] = {p.marginTop, p.marginBottom, p.marginLeft, p.marginRight};
  for (int i = 0; i < 4; ++i) Save(s, kMargins[i], MarginText(values[i]));
}

void StoreOrientation(const Session& s) {
  Save(s, QStringLiteral("PrintOrientation"), QString::number(s.setup.orientation));
}

void StoreZoom(const Session& s) {
  Save(s, QStringLiteral("PrintZoomType"), QString::number(s.setup.zoom));
}

void StoreOption(const Session& s, int index) {
  Save(s, OptionKey(index),
       s.setup.options[size_t(index)] ? QStringLiteral("1") : QStringLiteral("0"));
}

void StoreCopies(const Session& s, const QString& typed) {
  Save(s, QStringLiteral("인쇄시여러장인쇄"), typed);
}

void SetOption(Session& s, int index, bool on) {
  if (index < 0 || index >= OptionCount) return;
  if (index == OptFitToPage && !s.fitAllowed) on = false;
  s.setup.options[size_t(index)] = on;
  if (index == OptFooter) s.setup.footer = on ? s.rememberedFooter : QString();
}

bool UseWorkstationPrinter() {
  return settings::GetSetting(AppTitle(), QStringLiteral("Config"),
                              QStringLiteral("PC별프린터사용"), QStringLiteral("0"))
             .toInt() > 0;
}

QString WorkstationPrinter(const Session& s, const QString& currentDevice) {
  return settings::GetSetting(s.settingsApp, QStringLiteral("Config"),
                              QStringLiteral("PC별프린터기기"), currentDevice);
}

void StoreWorkstationPrinter(const Session& s, const QString& device) {
  settings::SaveSetting(s.settingsApp, QStringLiteral("Config"), QStringLiteral("PC별프린터기기"),
                        device);
}

QString MarginText(double inches) { return QString::number(inches, 'f', 2); }

}  // namespace print
