#pragma once

#include <QString>

// A program's file version as dot-separated text ("1.0.0.37"): the first line the program prints
// when run with --version. Empty when the file is missing or gives no answer in time.
QString GetFileVer(const QString& path);
