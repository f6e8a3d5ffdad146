#include "app/modMain.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
  // The update check reads a program's revision from this answer.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts(SENDORA_FILE_VERSION);
    return 0;
  }
  QApplication application(argc, argv);
  // The process lives as long as its windows, not as long as any one of them.
  QApplication::setQuitOnLastWindowClosed(true);
  const int code = Main();
  return code == kMainWindowShown ? QApplication::exec() : code;
}
