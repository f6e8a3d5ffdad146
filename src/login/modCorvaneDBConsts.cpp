#include "login/modCorvaneDBConsts.h"

#include "db/cMySQL.h"
#include "platform/AppState.h"
#include "platform/MacAddress.h"
#include "platform/Prompt.h"

#include <exception>

QString GetMyMacAddress() { return netif::FirstAdapterMac(); }

QString GetAllowMyPC() {
  QString userId;
  try {
    const QString mac = GetMyMacAddress();
    // A private session, released (and its connection closed) when the lookup ends.
    cMySQL session;
    if (session.real_connect(App().inHouseDbHost, QLatin1String(kInHouseUser),
                             QLatin1String(kInHousePassword), QLatin1String(kInHouseDatabase),
                             App().inHouseDbPort, QString(), 0, false, QString())) {
      // The address is hex digits only: it needs no escaping.
      RecordsetPtr rs = session.query(QStringLiteral("SELECT user_id FROM user_mac") +
                                      QStringLiteral(" WHERE mac_addr = '") + mac +
                                      QStringLiteral("'") + QStringLiteral(" AND block = 0"));
      if (rs && session.affected_rows() > 0) userId = rs->Fields(QStringLiteral("user_id"));
    }
  } catch (const MySqlError& e) {
    MsgError(e.number, e.description, QStringLiteral("GetAllowMyPC"),
             QStringLiteral("modCorvaneDBConsts"));
    userId.clear();
  }
  return userId;
}
