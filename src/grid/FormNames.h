#pragma once
// Accessible names for a window's controls, taken from what the window shows beside them. A
// screen reader announces a control by its name; most of ours have a caption on a label next to
// them and no name of their own.
//
// Every control a screen reader lands on that the window has not named takes:
//   a button: its caption without the mnemonic and the key hint ("조회 F5" reads "조회", the
//     key going into the description);
//   a box, a date, a combo box or a list: the caption of its label, the label whose buddy it is,
//     else the nearest label to its left on its line, else a label just above it;
//   a grid without such a label: the window's title with "목록", or "합계" for the totals grid
//     that scrolls with the list above it.
// Composite controls carry the name down to their parts (controls/AccessibleName.h). A name
// the window set itself is left alone; one given here is worked out again on the next pass.

class QWidget;

void NameFormControls(QWidget& form);
// Names the window's controls each time it is shown, when its layout has placed the labels.
void NameFormControlsOnShow(QWidget& form);
