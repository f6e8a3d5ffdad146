#include "grid/modFormIni.h"

#include "grid/SpreadGrid.h"
#include "grid/modMy_formReSize.h"
#include "platform/AppPaths.h"
#include "platform/ProfileIni.h"
#include "platform/Prompt.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

const QString kPosition = QStringLiteral("FormPosition");
constexpr int kValueBuffer = 10;  // what the old program read values into: 9 characters

// Bounds past which a value can only be a hand edit or a damaged file; such keys are skipped.
constexpr double kMaxTwips = 1.0e7;
constexpr double kMaxColWidth = 1000;
constexpr double kMaxFontSize = 60;
constexpr double kMaxRowHeight = 300;

QString FormIniFolder() { return QDir(paths::DataFolder()).filePath(QStringLiteral("FormIni")); }

std::optional<double> ReadNumber(const QString& section, const QString& key, const QString& file) {
  return NumericValue(profile::GetString(section, key, QString(), kValueBuffer, file));
}

// Single precision, as the old program wrote its numbers; well inside the 9 characters read back
// for every width and position it can hold.
QString NumberText(double v) { return QString::number(v, 'g', 7); }

int TwipsToPx(double twips) { return int(std::lround(twips / TwipsPerPixel())); }
double PxToTwips(int px) { return px * TwipsPerPixel(); }

int GridIndex(const SpreadGrid& grid) {
  const QVariant v = grid.property("Index");
  bool ok = false;
  const int index = v.toInt(&ok);
  return v.isValid() && ok ? index : -1;
}

QString KeyFor(const SpreadGrid& grid, int index) {
  return index >= 0 ? grid.objectName() + QLatin1Char('_') + QString::number(index)
                    : grid.objectName();
}

// A window whose title strip lies on no screen (a monitor since removed, a hand edit) is
// brought onto the screen nearest to where it was meant to be.
void KeepOnScreen(QWidget& form) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.isEmpty()) return;
  const QRect frame(form.pos(), form.frameGeometry().size());
  const QRect strip(frame.topLeft(), QSize(frame.width(), std::min(frame.height(), 30)));
  const int needW = std::min(strip.width(), 60);
  const int needH = std::min(strip.height(), 10);
  QScreen* nearest = screens.front();
  qint64 best = -1;
  for (QScreen* s : screens) {
    const QRect avail = s->availableGeometry();
    const QRect seen = avail.intersected(strip);
    if (seen.width() >= needW && seen.height() >= needH) return;
    const QPoint d = avail.center() - frame.center();
    const qint64 dist = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
    if (best < 0 || dist < best) {
      best = dist;
      nearest = s;
    }
  }
  const QRect avail = nearest->availableGeometry();
  const int x = std::max(avail.left(), std::min(frame.left(), avail.right() + 1 - frame.width()));
  const int y = std::max(avail.top(), std::min(frame.top(), avail.bottom() + 1 - frame.height()));
  form.move(x, y);
}

void WritePosition(QWidget& form, const QString& file) {
  if (form.isMinimized() || !EnsureFormIniFolder()) return;
  const bool maximised = form.isMaximized();
  profile::WriteString(kPosition, QStringLiteral("WindowState"),
                       maximised ? QStringLiteral("2") : QStringLiteral("0"), file);
  if (maximised) return;
  profile::WriteString(kPosition, QStringLiteral("Left"), NumberText(PxToTwips(form.x())), file);
  profile::WriteString(kPosition, QStringLiteral("Top"), NumberText(PxToTwips(form.y())), file);
  profile::WriteString(kPosition, QStringLiteral("Width"), NumberText(PxToTwips(form.width())),
                       file);
  profile::WriteString(kPosition, QStringLiteral("Height"), NumberText(PxToTwips(form.height())),
                       file);
}

// Saves the position as the window goes away. The hide that close() and a dialog's done() cause
// arrives with the window already invisible, which is why this does not go through SaveFormIni.
class CloseSaver final : public QObject {
 public:
  explicit CloseSaver(QWidget& form) : QObject(&form), m_form(form) {
    setObjectName(QStringLiteral("FormIniCloseSaver"));
    form.installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &m_form && event->type() == QEvent::Hide && !event->spontaneous())
      WritePosition(m_form, FormIniFile(m_form.objectName()));
    return false;
  }

 private:
  QWidget& m_form;
};

}  // namespace

std::optional<double> NumericValue(const QString& text) {
  static const QRegularExpression pattern(
      QStringLiteral(R"(^\s*[+-]?(?:\d[\d,]*(?:\.\d*)?|\.\d+)(?:[eEdD][+-]?\d+)?\s*$)"));
  if (!pattern.match(text).hasMatch()) return std::nullopt;
  QString t = text.trimmed();
  t.remove(QLatin1Char(','));
  t.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

QString FormIniFile(const QString& formName, const QString& suffix) {
  return QDir(FormIniFolder()).filePath(formName + suffix + QStringLiteral(".ini"));
}

QString SpreadIniKey(const SpreadGrid& grid) { return KeyFor(grid, GridIndex(grid)); }

bool EnsureFormIniFolder() { return QDir().mkpath(FormIniFolder()); }

bool LoadFormIni(QWidget& form, const QString& suffix) {
  const QString file = FormIniFile(form.objectName(), suffix);
  if (!QFile::exists(file)) return false;

  QPoint pos = form.pos();
  QSize size = form.size();
  const auto left = ReadNumber(kPosition, QStringLiteral("Left"), file);
  if (left && *left > 0 && *left < kMaxTwips) pos.setX(TwipsToPx(*left));
  const auto top = ReadNumber(kPosition, QStringLiteral("Top"), file);
  if (top && *top > 0 && *top < kMaxTwips) pos.setY(TwipsToPx(*top));
  const auto width = ReadNumber(kPosition, QStringLiteral("Width"), file);
  if (width && *width > 0 && *width < kMaxTwips) size.setWidth(std::max(1, TwipsToPx(*width)));
  const auto height = ReadNumber(kPosition, QStringLiteral("Height"), file);
  if (height && *height > 0 && *height < kMaxTwips) size.setHeight(std::max(1, TwipsToPx(*height)));
  if (size != form.size()) form.resize(size);
  if (pos != form.pos()) form.move(pos);
  if (left || top || width || height) KeepOnScreen(form);

  const auto state = ReadNumber(kPosition, QStringLiteral("WindowState"), file);
  if (state && *state == 2 && !form.isMaximized())
    form.setWindowState(form.windowState() | Qt::WindowMaximized);

  for (SpreadGrid* grid : form.findChildren<SpreadGrid*>())
    if (grid->window() == &form) LoadSpreadIni(*grid, file, GridIndex(*grid));
  return true;
}

void LoadSpreadIni(SpreadGrid& grid, const QString& file, int index) {
  const QString key = KeyFor(grid, index);
  const QString widths = key + QStringLiteral("_ColsWidth");
  for (int c = 1; c <= grid.MaxCols(); ++c) {
    const auto w = ReadNumber(widths, QString::number(c), file);
    if (w && *w >= 0 && *w <= kMaxColWidth) grid.SetColWidth(c, *w);
  }
  const QString general = key + QStringLiteral("_General");
  const auto font = ReadNumber(general, QStringLiteral("FontSize"), file);
  if (font && *font > 0 && *font <= kMaxFontSize) {
    grid.SetFontSize(-1, -1, *font);
    grid.SetFontSize(-1, 0, *font);
  }
  const auto height = ReadNumber(general, QStringLiteral("RowHeight"), file);
  if (height && *height > 0 && *height <= kMaxRowHeight) {
    grid.SetRowHeight(-1, *height);
    grid.SetRowHeight(0, *height + 2);
  }
}

void SaveFormIni(QWidget& form, const QString& suffix) {
  if (!form.isVisible()) return;
  WritePosition(form, FormIniFile(form.objectName(), suffix));
}

void SaveSpreadIni_Cw(QWidget& form, SpreadGrid& grid, int col, const QString& suffix,
                      bool alsoPaired, SpreadGrid* paired) {
  if (!grid.isVisible() || col < 1 || col > grid.MaxCols() || !EnsureFormIniFolder()) return;
  const QString file = FormIniFile(form.objectName(), suffix);
  const QString width = NumberText(grid.ColWidth(col));
  profile::WriteString(SpreadIniKey(grid) + QStringLiteral("_ColsWidth"), QString::number(col),
                       width, file);
  if (alsoPaired && paired)
    profile::WriteString(paired->objectName() + QStringLiteral("_ColsWidth"), QString::number(col),
                         width, file);
}

void SaveSpreadIni_Gn(QWidget& form, SpreadGrid& grid, const QString& key, const QString& value,
                      const QString& suffix) {
  const QString file = FormIniFile(form.objectName(), suffix);
  if (!EnsureFormIniFolder() ||
      !profile::WriteString(SpreadIniKey(grid) + QStringLiteral("_General"), key, value, file))
    MsgError(75, QStringLiteral("Path/File access error"), QStringLiteral("SaveSpreadIni_Gn"),
             QStringLiteral("modFormIni"));
}

void DelFormIni(const QString& formName) {
  QFile file(FormIniFile(formName));
  if (file.exists() && !file.remove())
    MsgError(75, QStringLiteral("Path/File access error"), QStringLiteral("DelFormIni"),
             QStringLiteral("modFormIni"));
}

void LoadFormLayout(QWidget& form) {
  LoadFormIni(form);
  if (!form.findChild<QObject*>(QStringLiteral("FormIniCloseSaver"), Qt::FindDirectChildrenOnly))
    new CloseSaver(form);
}

void SaveFormLayout(QWidget& form) { SaveFormIni(form); }

bool FormIniHasPosition(const QWidget& form) {
  const QString file = FormIniFile(form.objectName(), QString());
  if (!QFile::exists(file)) return false;
  const auto left = ReadNumber(kPosition, QStringLiteral("Left"), file);
  const auto top = ReadNumber(kPosition, QStringLiteral("Top"), file);
  return (left && *left > 0 && *left < kMaxTwips) || (top && *top > 0 && *top < kMaxTwips);
}
