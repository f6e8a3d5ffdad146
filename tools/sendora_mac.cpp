// Prints the address the login registers this workstation under (empty line when none), so that
// set-up scripts register exactly what the program will look up.
#include "login/modCorvaneDBConsts.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf("%s\n", qPrintable(GetMyMacAddress()));
  return 0;
}
