#include "print/PrintSpooler.h"

#include "platform/ProfileIni.h"
#include "platform/SettingsStore.h"
#include "print/SheetPrinter.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace print {

namespace {

class SystemSpooler final : public Spooler {
 public:
  QStringList PrinterNames() override { return QPrinterInfo::availablePrinterNames(); }
  QString DefaultPrinterName() override { return QPrinterInfo::defaultPrinterName(); }
  bool Send(SheetPrinter& sheet, const QString& printer, const QString& docName, int from,
            int to) override {
    QPrinter device(QPrinterInfo::printerInfo(printer), QPrinter::HighResolution);
    device.setDocName(docName);
    return sheet.Print(device, from, to);
  }
};

Spooler* g_spooler = nullptr;
QString g_current;
bool g_currentSet = false;

}  // namespace

Spooler& Spool() {
  static SystemSpooler system;
  return g_spooler ? *g_spooler : system;
}

void SetSpooler(Spooler* spooler) {
  g_spooler = spooler;
  g_currentSet = false;
}

QString CurrentPrinter() {
  if (!g_currentSet) {
    g_current = Spool().DefaultPrinterName();
    g_currentSet = true;
  }
  return g_current;
}

QString SetPrinterByName(const QString& device) {
  const QString previous = CurrentPrinter();
  for (const QString& name : Spool().PrinterNames()) {
    if (name.compare(device, Qt::CaseInsensitive) == 0) {
      g_current = name;
      break;
    }
  }
  return previous;
}

QString SystemProfilePath() { return QDir(settings::Root()).filePath(QStringLiteral("win.ini")); }

bool SetDefaultPrinter(const QString& device, const QString& driver, const QString& port) {
  QDir().mkpath(settings::Root());
  const bool ok = profile::WriteString(QStringLiteral("windows"), QStringLiteral("device"),
                                       QStringList{device, driver, port}.join(QLatin1Char(',')),
                                       SystemProfilePath());
  if (ok) SetPrinterByName(device);
  return ok;
}

bool SavePdf(SheetPrinter& sheet, const QString& file, const QString& docName, int from, int to) {
  QPdfWriter pdf(file);
  pdf.setTitle(docName);
  pdf.setCreator(QStringLiteral("Sendora"));
  return sheet.Print(pdf, from, to);
}

}  // namespace print
