#include "print/cFpPreview.h"

#include <memory>

#include "controls/WaitCursor.h"
#include "grid/SpreadGrid.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "print/FrmSPPrint_Preview.h"
#include "print/HeaderFooterCode.h"
#include "print/PrintSpooler.h"
#include "print/SheetPrinter.h"

cFpPreview::cFpPreview() = default;
cFpPreview::~cFpPreview() = default;

void cFpPreview::SetAppName(const QString& name) { m_appName = name; }

QString cFpPreview::FontDefinitions(int titleFontSize) {
  return QStringLiteral("/fn\"굴림체\"/fz\"") + QString::number(titleFontSize) +
         QStringLiteral("\"/fb1/fu0/fs1") + QStringLiteral("/fn\"굴림체\"/fz\"10\"/fb1/fu0/fs2") +
         QStringLiteral("/fn\"굴림체\"/fz\"10\"/fb0/fu0/fs3") +
         QStringLiteral("/fn\"굴림체\"/fz\"10\"/fb1/fu0/fs4") +
         QStringLiteral("/fn\"굴림체\"/fz\"9\"/fb0/fu0/fs5");
}

QString cFpPreview::BuildHeader(int titleFontSize, const QString& title, const QString& leftText,
                                const QString& centreText) {
  return FontDefinitions(titleFontSize) + QStringLiteral("/c/f1") + hf::EscapeText(title) +
         QStringLiteral("/n/n/f2/l") + leftText + QStringLiteral("/f4/c") + centreText +
         QStringLiteral("/n");
}

QString cFpPreview::BuildFooter(int titleFontSize, const QString& note, bool footerOn,
                                bool pageNumbers, bool printDate, const QDateTime& now) {
  const QString fonts = FontDefinitions(titleFontSize);
  QString footer;
  if (!note.isEmpty()) {
    // A slash in the note is the user's, not a code.
    QString lines = hf::EscapeText(note);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("/n"));
    lines.replace(QLatin1Char('\n'), QStringLiteral("/n"));
    lines.replace(QLatin1Char('\r'), QStringLiteral("/n"));
    footer = fonts + QStringLiteral("/n/n/f2/l") + lines;
  }
  const QString datePart = printDate ? QStringLiteral("f5/c출력일:") +
                                           now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                     : QStringLiteral("f5/c");
  if (footerOn) {
    if (pageNumbers)
      footer += fonts + QStringLiteral("/n/f3/lPage: /p///pc/") + datePart;
    else
      footer += fonts + QStringLiteral("/n/") + datePart;
  }
  return footer;
}

void cFpPreview::SpreadPreview(SpreadGrid& grid, const QString& settingsKey, const QString& title,
                               const QString& leftText, const QString& centreText,
                               int defaultOrientation, double defaultMarginLeft,
                               double defaultMarginRight, double defaultMarginTop,
                               double defaultMarginBottom, bool footerOn, bool allowFitToPage,
                               const QString& note, bool printDirectly, int titleFontSize,
                               bool pageNumbers, bool printDate, bool& printedDirectly) {
  printedDirectly = false;
  m_session = print::Session{};
  print::Session& s = m_session;
  s.grid = &grid;
  s.fitAllowed = allowFitToPage;
  if (m_appName.isEmpty())
    MsgBox(QStringLiteral("사용 프로그램이 설정되지 않았습니다."), MsgButtons::Ok);
  s.settingsApp = print::SettingsAppFor(m_appName);
  s.settingsKey = settingsKey;

  print::LoadMargins(s, defaultMarginTop, defaultMarginBottom, defaultMarginLeft,
                     defaultMarginRight);
  print::LoadOrientation(s, defaultOrientation);
  s.setup.header = BuildHeader(titleFontSize, title, leftText, centreText);
  s.rememberedFooter =
      BuildFooter(titleFontSize, note, footerOn, pageNumbers, printDate, clock_::LocalNow());
  s.setup.footer = s.rememberedFooter;
  print::LoadOptions(s);
  print::LoadZoom(s);
  s.setup.copies = print::LoadCopies(s);

  if (printDirectly) {
    WaitCursor wait;
    print::SheetPrinter sheet(grid, s.setup);
    print::Spool().Send(sheet, print::CurrentPrinter(), title, 1, -1);
    printedDirectly = true;
    return;
  }
  FrmSPPrint_Preview preview(s, title);
  ShowModal(preview);
}

namespace {
std::unique_ptr<cFpPreview>& Driver() {
  static std::unique_ptr<cFpPreview> driver;
  return driver;
}
}  // namespace

cFpPreview* PrintPreview() { return Driver().get(); }

void CreatePrintPreview(const QString& appName) {
  Driver() = std::make_unique<cFpPreview>();
  Driver()->SetAppName(appName);
}

void ReleasePrintPreview() { Driver().reset(); }
