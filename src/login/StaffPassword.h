#pragma once
// What the staff database keeps of a password. `password2` holds SHA1 over the password's code
// page 949 bytes as 40 hex digits: the bytes the login connection carried when the old statement
// let the server compute SHA1('…'). The login computes it here instead, so that the password
// never crosses the line nor lands in the server's logs.

#include <QByteArray>
#include <QString>

namespace staffpw {

// 40 lower-case hex digits; empty when the password holds a character the code page cannot hold
// (no stored digest can match it: such a password could never be sent).
QByteArray Digest(const QString& password);

// The stored column against a digest. The column's collation ignores case, so stored hex digits
// in either case match, as they did when the server compared.
bool Matches(const QString& stored, const QByteArray& digest);

// A digest as Digest makes it: 40 hex digits.
bool IsDigest(const QByteArray& text);

}  // namespace staffpw
