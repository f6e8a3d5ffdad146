#include "app/mdlFile.h"

#include "platform/Process.h"

#include <QFileInfo>

namespace {
// A program that does not answer this quickly has no usable version.
constexpr int kVersionAnswerMs = 5000;
}  // namespace

QString GetFileVer(const QString& path) {
  if (!QFileInfo(path).isFile()) return QString();
  const QByteArray out = process::ReadOutput(path, {QStringLiteral("--version")}, kVersionAnswerMs);
  return QString::fromUtf8(out).section(u'\n', 0, 0).trimmed();
}
