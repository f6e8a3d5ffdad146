#pragma once
// The shared print-preview driver: names the application whose settings hold the page setups,
// and previews or prints any grid with the standard page header (title and two lines of
// context) and footer (note, page number and count, print date).

#include "print/PrintSetup.h"

#include <QDateTime>
#include <QString>

class SpreadGrid;

class cFpPreview {
 public:
  cFpPreview();
  ~cFpPreview();

  void SetAppName(const QString& name);
  QString AppName() const { return m_appName; }

  // Applies the report's stored page setup (the caller's defaults where nothing is stored), the
  // header and the footer, then prints on the current printer or opens the preview window.
  // printedDirectly tells which.
  void SpreadPreview(SpreadGrid& grid, const QString& settingsKey, const QString& title,
                     const QString& leftText, const QString& centreText, int defaultOrientation,
                     double defaultMarginLeft, double defaultMarginRight, double defaultMarginTop,
                     double defaultMarginBottom, bool footerOn, bool allowFitToPage,
                     const QString& note, bool printDirectly, int titleFontSize, bool pageNumbers,
                     bool printDate, bool& printedDirectly);

  // The texts SpreadPreview builds.
  static QString FontDefinitions(int titleFontSize);
  static QString BuildHeader(int titleFontSize, const QString& title, const QString& leftText,
                             const QString& centreText);
  static QString BuildFooter(int titleFontSize, const QString& note, bool footerOn,
                             bool pageNumbers, bool printDate, const QDateTime& now);

  // The settings of the last SpreadPreview call.
  const print::Session& LastSession() const { return m_session; }

 private:
  QString m_appName;
  print::Session m_session;
};

// The program's one print-preview driver; null outside InitApp .. DestroyApp.
cFpPreview* PrintPreview();
// Start-up makes it and names the application for its settings; shutdown releases it.
void CreatePrintPreview(const QString& appName);
void ReleasePrintPreview();
