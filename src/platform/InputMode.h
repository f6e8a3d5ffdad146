#pragma once
// Hangul/English conversion mode of the input method, the way fields remember and restore it.
// The mode belongs to the input method the desktop runs, reached through a backend chosen once
// per process: on Linux the session bus, where fcitx5's D-Bus controller is driven whenever
// fcitx5 runs there. Without a framework we can drive the mode reads as English and switching
// does nothing. On Windows a backend over the window's input context (the Imm conversion-status
// functions) would be chosen in the same place.

#include <QString>

#include <memory>

class QWidget;

namespace inputmode {

class Backend {
 public:
  // One that goes while in use leaves the detected one in its place.
  virtual ~Backend();
  // Conversion mode of the input context of the widget's window: true = native (Hangul).
  // Returns false and fills the error number and text when the context cannot be read.
  virtual bool ConversionMode(QWidget* window, bool* hangul, long* errorNumber,
                              QString* errorText) = 0;
  virtual void SetConversionMode(QWidget* window, bool hangul) = 0;
  // The framework behind it, for diagnostics: "fcitx5", "none", ...
  virtual QString Name() const = 0;
  // Told when it becomes the backend in use (true) and when it stops being it (false): only the
  // one in use follows the program's windows.
  virtual void Installed(bool) {}
};

// Installs a backend (not owned) and returns the one it replaces; nullptr goes back to the
// detected one.
Backend* SetBackend(Backend* backend);

// The backend for when no framework we can drive is running: English, switching ignored.
std::unique_ptr<Backend> MakeNoFrameworkBackend();

// The backend detected for this process (detected on the first call, then kept; it follows
// fcitx5 as it quits and starts again).
Backend& DetectedBackend();

}  // namespace inputmode

// True when the control's input context is in Hangul mode. A failure is reported with the
// standard error box and reads as English.
bool GetHanEngMode(QWidget* control);
// Switches the window's input context to Hangul (true) or English (false).
void SetHanEngMode(bool hangul, QWidget* window);
