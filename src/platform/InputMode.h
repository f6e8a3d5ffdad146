#pragma once
// Hangul/English conversion mode of the input method, the way fields remember and restore it.
// On Windows the mode lives in the input context the thread's windows share; here the layer
// keeps that shared mode itself, so the fields' logic behaves the same everywhere. A backend
// can replace it (a real input-method bridge, or a failing one in tests).

#include <QString>

class QWidget;

namespace inputmode {

class Backend {
 public:
  virtual ~Backend() = default;
  // Conversion mode of the input context of the widget's window: true = native (Hangul).
  // Returns false and fills the error number and text when the context cannot be read.
  virtual bool ConversionMode(QWidget* window, bool* hangul, long* errorNumber,
                              QString* errorText) = 0;
  virtual void SetConversionMode(QWidget* window, bool hangul) = 0;
};

// Installs a backend (not owned); nullptr goes back to the built-in shared mode.
void SetBackend(Backend* backend);

}  // namespace inputmode

// True when the control's input context is in Hangul mode. A failure is reported with the
// standard error box and reads as English.
bool GetHanEngMode(QWidget* control);
// Switches the window's input context to Hangul (true) or English (false).
void SetHanEngMode(bool hangul, QWidget* window);
