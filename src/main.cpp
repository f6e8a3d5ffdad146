#include "app/modMain.h"

#include "platform/VersionArg.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  // The update check reads a program's revision from this answer.
  if (AnswerVersionQuery(argc, argv)) return 0;
  QApplication application(argc, argv);
  // Desktops match the windows to the installed desktop entry (and its icon) by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("sendora"));
  // The process lives as long as its windows, not as long as any one of them.
  QApplication::setQuitOnLastWindowClosed(true);
  const int code = Main();
  return code == kMainWindowShown ? QApplication::exec() : code;
}
