#pragma once
// The desktop's secret store: the Secret Service on the session bus (GNOME Keyring, KWallet,
// KeePassXC and the like), reached through QtKeychain. Entries are texts under a service name
// and a key.
//
// Every call waits for the store at most kWaitMs. A store that is not on the bus, is locked,
// refuses, or does not answer in time reads as NoStore and nothing is shown to the user. A call
// that did not get its answer in time is left to finish on its own; until it has, every further
// call reads NoStore at once (the store's jobs run one after another, so they would only wait
// behind it).

#include <QString>

namespace secrets {

inline constexpr int kWaitMs = 2000;

enum class Status { Found, NotFound, NoStore };

struct Entry {
  Status status = Status::NoStore;
  QString text;  // when Found
};

Entry Read(const QString& service, const QString& key);
// True when the store holds the text now.
bool Write(const QString& service, const QString& key, const QString& text);
// True when the store holds no such entry now (it may never have held one).
bool Remove(const QString& service, const QString& key);

}  // namespace secrets
