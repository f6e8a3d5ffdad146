#include "support/XKeys.h"

#include <QProcess>

namespace xkeys {

namespace {

bool Xdotool(const QStringList& arguments) {
  // The keys go to the X server; the program sees them once its event loop runs again.
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

}  // namespace

bool Type(const QString& text) {
  return Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
}

bool Press(const QString& keys) {
  return Xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"), keys});
}

}  // namespace xkeys
