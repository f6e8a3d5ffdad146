#pragma once
// The local clock (dates shown, log file names) and a monotonic millisecond counter for timing
// statements. Tests move the local clock to check day boundaries.

#include <QDateTime>

#include <cstdint>
#include <functional>

namespace clock_ {

QDateTime LocalNow();
// nullptr restores the real clock.
void SetLocalNowOverride(std::function<QDateTime()> now);

// Milliseconds from an arbitrary start; never goes back.
std::int64_t TickMs();

}  // namespace clock_
