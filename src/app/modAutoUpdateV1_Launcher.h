#pragma once
// The auto-update launcher: keeps the checker program "VerProbeV1" current, runs it, and when it
// has left a newer copy of this program beside it, hands over to "swapfiles" and ends.

#include <QString>

// Always false. Either returns (start-up goes on) or asks the process to end (process::EndProcess)
// so that the new copy can be swapped in.
bool RunAutoUpdate(bool& skipSelfUpdate);
// True when the checker is current or was refreshed; false when the version information cannot
// be read or a download fails.
bool AutoUpdaterSelfUpdate();
// The running executable's file name (no suffix on this platform).
QString ApplicationFileName();
