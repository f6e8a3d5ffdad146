#include "customers/AccessRules.h"

#include <QStringList>

namespace {
bool OneOf(const QString& id, std::initializer_list<const char*> ids) {
  for (const char* allowed : ids)
    if (id == QLatin1String(allowed)) return true;
  return false;
}
}  // namespace

bool MayExportCustomerList(const QString& loginId) { return OneOf(loginId, {"staff1"}); }

bool MaySearchWithFewerThanTwoCharacters(const QString& loginId) {
  return OneOf(loginId, {"staff1", "staff2"});
}

bool MayOpenChargeList(const QString& loginId) {
  return OneOf(loginId, {"staff1", "staff3", "staff2"});
}

bool MaySeeSummaries(const QString& loginId) { return OneOf(loginId, {"corvane"}); }

bool IsChargeStaff(const QString& loginId) {
  return OneOf(loginId,
               {"staff1", "staff3", "staff4", "staff5", "staff2", "staff6", "staff7", "staff8"});
}
