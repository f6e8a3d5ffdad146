#pragma once

#include <QString>

// The transient notice (through the prompt seam, so tests read it).
void ShowHoverlet(const QString& message, int displayTime);

// Starts the helper program; the Qt prompt handler calls it. A missing helper is reported once.
void LaunchHoverlet(const QString& message, int displayTime);
QString HoverletPath();
