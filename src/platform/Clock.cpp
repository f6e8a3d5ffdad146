#include "platform/Clock.h"

#include <QElapsedTimer>

namespace clock_ {
namespace {
std::function<QDateTime()>& Override() {
  static std::function<QDateTime()> fn;
  return fn;
}
}  // namespace

QDateTime LocalNow() { return Override() ? Override()() : QDateTime::currentDateTime(); }

void SetLocalNowOverride(std::function<QDateTime()> now) { Override() = std::move(now); }

std::int64_t TickMs() {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

}  // namespace clock_
