#include "app/modMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The process lives as long as its windows, not as long as any one of them.
  QApplication::setQuitOnLastWindowClosed(true);
  const int code = Main();
  return code == kMainWindowShown ? QApplication::exec() : code;
}
