#pragma once
// The workstation's network adapter address, as the workstation check registers it.

#include <QString>

#include <functional>

namespace netif {

// The first interface that is up, is not the loopback, has an IP address and a hardware address:
// 12 upper-case hex digits without separators; empty when there is none.
QString FirstAdapterMac();

// Tests replace the source; nullptr restores the real interfaces.
void SetMacSourceOverride(std::function<QString()> source);

}  // namespace netif
