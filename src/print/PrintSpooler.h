#pragma once
// Where print jobs go: the printers of the system, or, in tests, a recorder that counts the jobs.
// The process keeps its own "current printer", the one jobs are sent to.

#include <QString>
#include <QStringList>

namespace print {

class SheetPrinter;

class Spooler {
 public:
  virtual ~Spooler() = default;
  virtual QStringList PrinterNames() = 0;
  virtual QString DefaultPrinterName() = 0;
  // One print job of pages from..to (-1: to the end) on the named printer.
  virtual bool Send(SheetPrinter& sheet, const QString& printer, const QString& docName, int from,
                    int to) = 0;
};

// The spooler in force; without one installed, the system's printers.
Spooler& Spool();
// Installs a spooler (not owned); nullptr goes back to the system's printers.
void SetSpooler(Spooler* spooler);

// The printer jobs go to: the system default until one is selected.
QString CurrentPrinter();
// Selects the printer with that device name when there is one; returns the previous name.
QString SetPrinterByName(const QString& device);
// Makes a printer the default: "device,driver,port" in the "device" entry of the "windows"
// section of the system profile (win.ini in the settings folder), and selects it.
bool SetDefaultPrinter(const QString& device, const QString& driver, const QString& port);
QString SystemProfilePath();

// Writes pages from..to to a PDF file.
bool SavePdf(SheetPrinter& sheet, const QString& file, const QString& docName, int from = 1,
             int to = -1);

}  // namespace print
