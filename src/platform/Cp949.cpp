#include "platform/Cp949.h"

#include <iconv.h>

#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <memory>

namespace cp949 {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct Tables {
  // Indexed by lead << 8 | trail; 0 = no such character. Lead bytes the page never uses
  // (0x00-0x80, 0xFF) simply have all-zero rows, so the decoder needs no range checks.
  char16_t pair[0x10000] = {};
  // Non-ASCII single bytes (glibc defines none, but take what iconv says).
  char16_t single[0x80] = {};
  // BMP code unit -> code; 0 = not in the page.
  std::uint16_t code[0x10000] = {};
};

// One conversion of a whole byte sequence to exactly one UTF-16 unit, else 0.
char16_t DecodeOne(iconv_t cd, const char* bytes, std::size_t n) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(bytes);
  std::size_t inLeft = n;
  char16_t units[4];
  char* out = reinterpret_cast<char*>(units);
  std::size_t outLeft = sizeof units;
  if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
    return 0;
  if (sizeof units - outLeft != sizeof(char16_t)) return 0;
  const char16_t u = units[0];
  return (u >= 0xD800 && u < 0xE000) || u == kReplacement ? 0 : u;
}

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  // The page is stateless, so one pair at a time gives the same answers as whole texts.
  iconv_t cd = iconv_open("UTF-16LE", "CP949");
  if (cd == reinterpret_cast<iconv_t>(-1))
    qFatal("cp949: iconv cannot convert from CP949 (%s); are the gconv modules installed?",
           std::strerror(errno));
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char c = static_cast<char>(b);
    t->single[b - 0x80] = DecodeOne(cd, &c, 1);
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x41; trail <= 0xFE; ++trail) {
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      t->pair[lead << 8 | trail] = DecodeOne(cd, bytes, 2);
    }
  }
  iconv_close(cd);

  for (int b = 0; b < 0x80; ++b) t->code[b] = static_cast<std::uint16_t>(b);
  for (int b = 0x80; b <= 0xFF; ++b)
    if (const char16_t u = t->single[b - 0x80]; u && !t->code[u]) t->code[u] = b;
  for (int c = 0x8141; c <= 0xFEFE; ++c)
    if (const char16_t u = t->pair[c]; u && !t->code[u]) t->code[u] = static_cast<std::uint16_t>(c);
  return t;
}

const Tables& T() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

// Decodes into o, which has room for len units (a byte never yields more than one unit).
char16_t* DecodeInto(const unsigned char* p, std::size_t len, char16_t* o) {
  const Tables& t = T();
  const unsigned char* const end = p + len;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  while (p < end) {
    // Runs of ASCII (numbers, ids, dates) eight at a time.
    while (end - p >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      if (w & kHighBits) break;
      for (int k = 0; k < 8; ++k) o[k] = p[k];
      p += 8;
      o += 8;
    }
    if (p == end) break;
    const unsigned b = *p;
    if (b < 0x80) {
      *o++ = static_cast<char16_t>(b);
      ++p;
      continue;
    }
    if (end - p >= 2) {
      if (const char16_t u = t.pair[b << 8 | p[1]]) {
        *o++ = u;
        p += 2;
        continue;
      }
    }
    // A bad or cut-off lead byte costs one U+FFFD; the byte after it is read afresh, so
    // ASCII that follows garbage survives.
    const char16_t s = t.single[b - 0x80];
    *o++ = s ? s : kReplacement;
    ++p;
  }
  return o;
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u < 0xDC00; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u < 0xE000; }

// Code of the character starting at text[i], 0 when the page has none; i is moved past it.
// A surrogate pair is one (unrepresentable) character; cp receives its code point.
std::uint16_t Next(QStringView text, qsizetype& i, char32_t& cp) {
  const char16_t u = text[i].unicode();
  ++i;
  if (u < 0x80) {
    cp = u;
    return u;
  }
  if (IsHigh(u) && i < text.size() && IsLow(text[i].unicode())) {
    cp = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i].unicode() - 0xDC00);
    ++i;
    return 0;
  }
  cp = u;
  return T().code[u];  // lone surrogates have no code
}

}  // namespace

QString Decode(const char* data, std::size_t len) {
  if (len == 0) return QString();
  QString s(static_cast<qsizetype>(len), Qt::Uninitialized);
  auto* begin = reinterpret_cast<char16_t*>(s.data());
  const char16_t* end = DecodeInto(reinterpret_cast<const unsigned char*>(data), len, begin);
  s.truncate(end - begin);
  return s;
}

bool Encode(QStringView text, QByteArray& out, char32_t* bad) {
  out.resize(text.size() * 2);
  char* o = out.data();
  for (qsizetype i = 0; i < text.size();) {
    char32_t cp;
    const std::uint16_t c = Next(text, i, cp);
    if (cp < 0x80) {
      *o++ = static_cast<char>(cp);
    } else if (c == 0) {
      out.truncate(o - out.data());
      if (bad) *bad = cp;
      return false;
    } else if (c < 0x100) {
      *o++ = static_cast<char>(c);
    } else {
      *o++ = static_cast<char>(c >> 8);
      *o++ = static_cast<char>(c & 0xFF);
    }
  }
  out.truncate(o - out.data());
  return true;
}

QByteArray EncodeLossy(QStringView text) {
  QByteArray out;
  out.reserve(text.size() * 2);
  for (qsizetype i = 0; i < text.size();) {
    char32_t cp;
    const std::uint16_t c = Next(text, i, cp);
    if (cp < 0x80) {
      out.append(static_cast<char>(cp));
    } else if (c == 0) {
      out.append('?');
    } else if (c < 0x100) {
      out.append(static_cast<char>(c));
    } else {
      out.append(static_cast<char>(c >> 8));
      out.append(static_cast<char>(c & 0xFF));
    }
  }
  return out;
}

std::uint16_t CodeOf(char32_t ch) {
  if (ch < 0x80) return static_cast<std::uint16_t>(ch);
  if (ch > 0xFFFF || (ch >= 0xD800 && ch < 0xE000)) return 0;
  return T().code[ch];
}

int ByteLength(QStringView text) {
  int n = 0;
  for (qsizetype i = 0; i < text.size();) {
    char32_t cp;
    n += Next(text, i, cp) > 0xFF ? 2 : 1;
  }
  return n;
}

qsizetype FitBytes(QStringView text, int maxBytes) {
  int n = 0;
  qsizetype i = 0;
  while (i < text.size()) {
    qsizetype next = i;
    char32_t cp;
    const int w = Next(text, next, cp) > 0xFF ? 2 : 1;
    if (n + w > maxBytes) break;
    n += w;
    i = next;
  }
  return i;
}

}  // namespace cp949
