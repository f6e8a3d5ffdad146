#pragma once
// Korean ANSI code page 949 (the database's euckr plus the extended syllables), both ways.
// The tables are built once from iconv; the hot paths below are plain table look-ups.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>

namespace cp949 {

// Bytes to text. Every byte that does not start a defined character becomes one U+FFFD and
// decoding goes on with the next byte: a cut-off lead byte, a lead byte followed by ASCII (the
// ASCII survives), and the single bytes 0x80 and 0xFF, which the page leaves undefined.
QString Decode(const char* data, std::size_t len);
inline QString Decode(const QByteArray& bytes) {
  return Decode(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Text to bytes. Returns false when a character has no code in the page; *bad then holds the
// first such character (a full code point, surrogate pairs joined; a lone surrogate as itself)
// and out the bytes before it.
bool Encode(QStringView text, QByteArray& out, char32_t* bad = nullptr);

// For files of our own only (profile files, logs): unrepresentable characters become '?'.
QByteArray EncodeLossy(QStringView text);

// The character's code in the page: one byte below 0x80, the two-byte code (lead << 8 | trail)
// for double-byte characters, 0 when the page cannot hold it.
std::uint16_t CodeOf(char32_t ch);

// Length in bytes as the database counts it (a Hangul syllable counts 2). Unrepresentable
// characters count 1 each surrogate-joined character, like the '?' they would become.
int ByteLength(QStringView text);

// Number of leading UTF-16 units of text whose byte length fits in maxBytes. A double-byte
// character that would straddle the limit is left out, and a surrogate pair is never split.
qsizetype FitBytes(QStringView text, int maxBytes);

}  // namespace cp949
