#pragma once
// Names for assistive technology. A screen reader announces a control by its accessible name;
// the windows give theirs from the captions beside them, and a composite control carries the
// name down to the parts a screen reader lands on.

#include <QString>

class QWidget;

namespace controls {

// A caption as it should be read: without the mnemonic marks ("닫기(&C)", "닫기 &C "), the key
// hint at the end ("조회 F5", "사전등록(F12)"), the required mark ("*상 호 명") and the colon
// ("기간:"), and with spaced-out syllables joined ("상 호 명" reads "상호명").
QString CaptionName(const QString& caption);
// The key hint at the end of a caption ("F5"), or "".
QString CaptionKeyHint(const QString& caption);

// Names the control and the parts inside it: a text box's edit box, the boxes and buttons of a
// date control ("기간" names "기간 시작" and "기간 끝"), an editable combo box's edit line, and
// whatever a composite hands its focus to (a grid's table).
void SetControlName(QWidget* control, const QString& name);

}  // namespace controls
