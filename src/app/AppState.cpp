#include "app/AppState.h"

#include "print/cFpPreview.h"

AppState::AppState() = default;
AppState::~AppState() = default;

AppState& App() {
  static AppState state;
  return state;
}

QString AppTitle() { return App().appTitle; }
const LoggedInStaff& CurrentStaff() { return App().staff; }
std::int16_t OSTypeCode() { return App().osTypeCode; }
bool StylingEnabled() { return App().stylingEnabled; }
cFpPreview* PrintPreview() { return App().printPreview.get(); }

void CreatePrintPreview(const QString& appName) {
  App().printPreview = std::make_unique<cFpPreview>();
  App().printPreview->SetAppName(appName);
}

void ReleasePrintPreview() { App().printPreview.reset(); }
