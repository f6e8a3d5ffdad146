#include "platform/Hoverlet.h"

#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Process.h"
#include "platform/Prompt.h"

#include <QFileInfo>

void ShowHoverlet(const QString& message, int displayTime) {
  Prompts().ShowHoverlet(message, displayTime);
}

QString HoverletPath() {
  // A developer's build runs the helper from the build's own output folder.
  const QString folder =
      App().developmentMode ? QStringLiteral(SENDORA_BUILD_BIN_DIR) : paths::AppFolder();
  return folder + QStringLiteral("/Hoverlet") + paths::ExeSuffix();
}

void LaunchHoverlet(const QString& message, int displayTime) {
  AppState& app = App();
  const QString path = HoverletPath();
  if (app.hoverletAvailability == 0) {
    if (!QFileInfo(path).isFile()) {
      app.hoverletAvailability = 2;
      MsgBox(path + QStringLiteral("\n플로팅 메시지박스 파일을 찾을 수 없습니다."));
      return;
    }
    app.hoverletAvailability = 1;
  }
  if (app.hoverletAvailability == 2) return;
  process::StartDetached(path, {message, QStringLiteral("/T") + QString::number(displayTime)});
}
