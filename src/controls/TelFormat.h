#pragma once
// Telephone numbers grouped with "-": the text box's own rule for typed and pasted numbers, and
// the looser rule the customer lists use for numbers read from the database (masked digits "*"
// kept, no error report).

#include <QString>

// Used by HCText for kind 3. Texts shorter than 6 characters come back unchanged.
QString FormatTelNo(const QString& text);

// For list display of stored numbers (customer list, sender numbers).
QString FormatTelNoMasked(const QString& text);

// All characters are ASCII digits and there is at least one.
bool IsDigitsOnly(const QString& text);
