#include "platform/AppState.h"

AppState& App() {
  static AppState state;
  return state;
}

QString AppTitle() { return App().appTitle; }
const LoggedInStaff& CurrentStaff() { return App().staff; }
std::int16_t OSTypeCode() { return App().osTypeCode; }
bool StylingEnabled() { return App().stylingEnabled; }
