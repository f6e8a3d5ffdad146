// Code page 949 both ways. Expected codes come from the system's iconv and the code charts; the
// cases aim at what our code adds to iconv: table layout, resynchronisation, surrogates, counts.
#include "platform/Cp949.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString U(const char16_t* s) { return QString::fromUtf16(s); }

TEST(Cp949, KnownTextsEncodeToTheirCodesAndDecodeBack) {
  const struct {
    const char16_t* text;
    const char* bytes;
  } cases[] = {
      {u"SMS 100 \\'\"", "SMS 100 \\'\""},
      {u"홍길동 02-123", "\xC8\xAB\xB1\xE6\xB5\xBF 02-123"},
      {u"똠양꿍", "\x8C\x63\xBE\xE7\xB2\xE1"},  // 똠 lies outside KS X 1001
      {u"햏펲뷁", "\xC1\x64\xBC\x84\x94\xEE"},  // so do these
      {u"漢字", "\xF9\xD3\xED\xAE"},
      {u"※㈜€®·", "\xA1\xD8\xA2\xDF\xA2\xE6\xA2\xE7\xA1\xA4"},
      {u"￦ 1,000", "\xA3\xDC 1,000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U(c.text).toStdString());
    QByteArray out;
    EXPECT_TRUE(cp949::Encode(U(c.text), out));
    EXPECT_EQ(out.toHex(' '), QByteArray(c.bytes).toHex(' '));
    EXPECT_EQ(cp949::EncodeLossy(U(c.text)), QByteArray(c.bytes));
    EXPECT_EQ(cp949::Decode(QByteArray(c.bytes)), U(c.text));
  }
}

TEST(Cp949, EveryDefinedCodeRoundTripsAndEveryModernSyllableHasOne) {
  // KS X 1001 (8,226 with the euro and registered signs) plus 8,822 extended syllables.
  int defined = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x00; trail <= 0xFF; ++trail) {
      const char raw[2] = {char(lead), char(trail)};
      const QString s = cp949::Decode(raw, 2);
      if (s.size() != 1 || s[0] == QChar(0xFFFD)) continue;
      ++defined;
      ASSERT_EQ(cp949::CodeOf(s[0].unicode()), lead << 8 | trail) << std::hex << lead << trail;
    }
  }
  EXPECT_EQ(defined, 17048);
  for (char32_t s = 0xAC00; s <= 0xD7A3; ++s) ASSERT_GT(cp949::CodeOf(s), 0xFF) << std::hex << +s;
}

TEST(Cp949, BadBytesBecomeOneReplacementEachAndTheRestSurvives) {
  const struct {
    const char* hex;
    QStringView text;
  } cases[] = {
      {"80 ff", u"\uFFFD\uFFFD"},             // single bytes the page leaves undefined
      {"41 b0", u"A\uFFFD"},                  // lead byte cut off at the end
      {"b0 31 41", u"\uFFFD1A"},              // lead byte followed by ASCII
      {"c9 41 42", u"\uFFFDAB"},              // ASCII letter that makes no pair
      {"c9 b0 a1", u"\uFFFD가"},              // user-defined area, then a real syllable
      {"a2 e8 78", u"\uFFFD\uFFFDx"},         // unassigned pair: both bytes bad
      {"61 00 62", QStringView(u"a\0b", 3)},  // NULs are the caller's business
  };
  for (const auto& c : cases)
    EXPECT_EQ(cp949::Decode(QByteArray::fromHex(c.hex)), c.text.toString()) << c.hex;

  // ASCII goes eight bytes at a time; runs of 0-17 bytes cross every chunk boundary.
  for (int n = 0; n <= 17; ++n) {
    const QByteArray run = QByteArray("0123456789abcdefgh").left(n);
    const QString r = QString::fromLatin1(run);
    EXPECT_EQ(cp949::Decode(run + "\xB0\xA1" + run + "\xB0" + run),
              r + U(u"가") + r + U(u"\uFFFD") + r)
        << n;
  }
}

TEST(Cp949, EncodeStopsAtTheFirstCharacterThePageLacks) {
  const struct {
    const char16_t* text;
    char32_t bad;
    const char* lossy;
  } cases[] = {
      {u"ok😀 and é", 0x1F600, "ok? and ?"},  // surrogate pair joined
      {u"café😀", 0xE9, "caf??"},
      {u"₩1,000", 0x20A9, "?1,000"},  // the won sign itself is not in the page
      {u"a\xD83D"
       u"b",
       0xD83D, "a?b"},  // lone high surrogate
      {u"\xDE00"
       u"가",
       0xDE00, "?\xB0\xA1"},  // lone low surrogate
      {u"x\xD83D", 0xD83D, "x?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U(c.text).toStdString());
    QByteArray out;
    char32_t bad = 0;
    EXPECT_FALSE(cp949::Encode(U(c.text), out, &bad));
    EXPECT_EQ(uint32_t(bad), uint32_t(c.bad));
    EXPECT_EQ(cp949::CodeOf(bad), 0);
    EXPECT_EQ(cp949::EncodeLossy(U(c.text)), QByteArray(c.lossy));
  }
}

TEST(Cp949, ByteLengthAndFitCountLikeTheDatabase) {
  const struct {
    const char16_t* text;
    int bytes;
    int maxBytes;
    qsizetype fits;  // UTF-16 units that fit in maxBytes
  } cases[] = {
      {u"가나다라마a", 11, 10, 5},  // five syllables and a letter in a 10-byte field
      {u"가나다라마a", 11, 9, 4},   // a syllable never straddles the limit
      {u"똠a", 3, 3, 2},
      {u"a😀b", 3, 2, 3},  // the emoji would be one '?', and stays whole
      {u"a😀b", 3, 1, 1},
      {u"é\xD800", 2, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U(c.text).toStdString());
    EXPECT_EQ(cp949::ByteLength(U(c.text)), c.bytes);
    EXPECT_EQ(cp949::FitBytes(U(c.text), c.maxBytes), c.fits);
  }
}

}  // namespace
