#include "platform/MacAddress.h"

#include <QNetworkInterface>

namespace netif {
namespace {
std::function<QString()>& Override() {
  static std::function<QString()> fn;
  return fn;
}
}  // namespace

QString FirstAdapterMac() {
  if (Override()) return Override()();
  // allInterfaces() lists the adapters in the system's own index order.
  for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
    const auto flags = nic.flags();
    if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
      continue;
    if (nic.addressEntries().isEmpty()) continue;
    QString mac = nic.hardwareAddress().toUpper();
    mac.remove(u':');
    mac.remove(u'-');
    if (mac.isEmpty() || mac == QLatin1String("000000000000")) continue;
    return mac;
  }
  return QString();
}

void SetMacSourceOverride(std::function<QString()> source) { Override() = std::move(source); }

}  // namespace netif
