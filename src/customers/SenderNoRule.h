#pragma once
// The numbering rules for sender numbers.

#include <QString>

// The rule text shown with every violation.
QString SenderNoRuleText();
// The violation line ("---> 1번 세칙 위배", ...) or an empty text when the number obeys the rules.
QString SenderNoViolation(const QString& number);
// True when the number obeys the rules; otherwise shows the rule text and the violation.
bool CheckSenderNoRule(const QString& number);
