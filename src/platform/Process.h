#pragma once
// Starting other programs and opening documents, without waiting for them.

#include <QString>
#include <QStringList>

namespace process {

bool StartDetached(const QString& program, const QStringList& arguments);
// The shell's "Open" of a file or address.
bool ShellOpen(const QString& target);

}  // namespace process
