#pragma once
// The customer search statement of the main window.

#include <QString>

// The search text as the inside of a LIKE '%...%' pattern between single quotes: "%", "_" and
// "\" match themselves, a quote never ends the literal.
QString LikeContainsLiteral(const QString& text);
// The whole statement; an empty text lists every customer.
QString CustomerSearchSql(const QString& text);
