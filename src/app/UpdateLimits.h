#pragma once
// What one program download may cost: the deployment's [Update] MaxDownloadMB and
// DownloadTimeoutSec, and their defaults.

#include <QtGlobal>

namespace update {

inline constexpr int kDefaultDownloadTimeoutSec = 120;
inline constexpr int kDefaultMaxDownloadMB = 200;

struct DownloadLimits {
  qint64 maxBytes = qint64(kDefaultMaxDownloadMB) * 1024 * 1024;
  int deadlineMs = kDefaultDownloadTimeoutSec * 1000;
};

}  // namespace update
