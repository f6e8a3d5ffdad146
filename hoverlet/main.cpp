// Hoverlet: the floating notice the main program starts and forgets.
// Usage: Hoverlet <message words...> /T<n>   (n in units of 3 ms; 500 when missing or bad)
#include "HoverletArgs.h"
#include "HoverletWindow.h"
#include "platform/VersionArg.h"

#include <QApplication>

int main(int argc, char** argv) {
  if (AnswerVersionQuery(argc, argv)) return 0;
  QApplication app(argc, argv);
  const hoverlet::HoverletArgs args = hoverlet::ParseHoverletArgs(app.arguments().mid(1));
  if (args.message.isEmpty()) return 0;

  HoverletWindow window(args.message);
  window.Run(args.DisplayMs(), [] { QCoreApplication::quit(); });
  return app.exec();
}
