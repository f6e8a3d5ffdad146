#include "platform/ProfileIni.h"

#include "platform/Cp949.h"

#include <QFile>
#include <QSaveFile>

#include <vector>

namespace profile {
namespace {

// Lines are kept as the bytes read, so that everything a write does not touch (comments, other
// sections, bytes that are not valid code page 949) goes back to disk unchanged.
struct Line {
  QByteArray text;  // without the line break
  QByteArray eol;   // "\r\n", "\n", or empty for a last line without one
};

struct Profile {
  std::vector<Line> lines;
  QByteArray eol = "\r\n";  // for lines we add
};

enum class Kind { Other, Section, Key };

struct Parsed {
  Kind kind = Kind::Other;
  QString name;
  QString value;
};

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString TrimBlanks(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.mid(b, e - b).toString();
}

Parsed Parse(const Line& line) {
  const QString text = TrimBlanks(cp949::Decode(line.text));
  Parsed p;
  if (text.startsWith(QLatin1Char('['))) {
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close > 0) {
      p.kind = Kind::Section;
      p.name = TrimBlanks(QStringView(text).mid(1, close - 1));
    }
    return p;
  }
  if (text.startsWith(QLatin1Char(';'))) return p;
  const qsizetype eq = text.indexOf(QLatin1Char('='));
  if (eq < 0) return p;
  p.kind = Kind::Key;
  p.name = TrimBlanks(QStringView(text).left(eq));
  p.value = TrimBlanks(QStringView(text).mid(eq + 1));
  return p;
}

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// False only when the file exists and cannot be read; a missing file is an empty profile.
bool Load(const QString& file, Profile& prof) {
  QFile f(file);
  if (!f.exists()) return true;
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray all = f.readAll();
  qsizetype start = 0;
  while (start < all.size()) {
    const qsizetype nl = all.indexOf('\n', start);
    Line line;
    if (nl < 0) {
      line.text = all.mid(start);
      start = all.size();
    } else {
      line.text = all.mid(start, nl - start);
      line.eol = "\n";
      if (line.text.endsWith('\r')) {
        line.text.chop(1);
        line.eol = "\r\n";
      }
      start = nl + 1;
    }
    prof.lines.push_back(std::move(line));
  }
  if (!prof.lines.empty() && !prof.lines.front().eol.isEmpty()) prof.eol = prof.lines.front().eol;
  return true;
}

bool Save(const QString& file, const Profile& prof) {
  QSaveFile f(file);
  if (!f.open(QIODevice::WriteOnly)) return false;
  for (const Line& line : prof.lines) {
    f.write(line.text);
    f.write(line.eol);
  }
  return f.commit();
}

// Line index of the section's header, or -1; end receives the index just past its last line.
qsizetype FindSection(const Profile& prof, const QString& section, qsizetype* end) {
  const auto n = static_cast<qsizetype>(prof.lines.size());
  for (qsizetype i = 0; i < n; ++i) {
    const Parsed p = Parse(prof.lines[i]);
    if (p.kind != Kind::Section || !Same(p.name, section)) continue;
    qsizetype j = i + 1;
    while (j < n && Parse(prof.lines[j]).kind != Kind::Section) ++j;
    if (end) *end = j;
    return i;
  }
  return -1;
}

qsizetype FindKey(const Profile& prof, qsizetype from, qsizetype to, const QString& key,
                  Parsed* found = nullptr) {
  for (qsizetype i = from; i < to; ++i) {
    Parsed p = Parse(prof.lines[i]);
    if (p.kind == Kind::Key && Same(p.name, key)) {
      if (found) *found = std::move(p);
      return i;
    }
  }
  return -1;
}

QString Truncated(QString s, int bufferLength) {
  s.truncate(qMax(0, bufferLength - 1));
  return s;
}

bool HasLineBreak(const QString& s) {
  return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

}  // namespace

QString GetString(const QString& section, const QString& key, const QString& def, int bufferLength,
                  const QString& file) {
  // The old API cut trailing blanks off the default as well.
  QString fallback = def;
  while (!fallback.isEmpty() && IsBlank(fallback.back())) fallback.chop(1);

  const QString k = TrimBlanks(key);
  Profile prof;
  if (k.isEmpty() || !Load(file, prof)) return Truncated(fallback, bufferLength);
  qsizetype end = 0;
  const qsizetype header = FindSection(prof, TrimBlanks(section), &end);
  Parsed p;
  if (header < 0 || FindKey(prof, header + 1, end, k, &p) < 0)
    return Truncated(fallback, bufferLength);
  QString v = p.value;
  if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
      v.back() == v.front())
    v = v.mid(1, v.size() - 2);
  return Truncated(v, bufferLength);
}

bool WriteString(const QString& section, const QString& key, const QString& value,
                 const QString& file) {
  const QString sec = TrimBlanks(section);
  const QString k = TrimBlanks(key);
  // Anything that would read back as a different line structure is refused.
  if (sec.isEmpty() || k.isEmpty() || sec.contains(QLatin1Char(']')) ||
      k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('[')) ||
      k.startsWith(QLatin1Char(';')) || HasLineBreak(sec) || HasLineBreak(k) || HasLineBreak(value))
    return false;

  Profile prof;
  if (!Load(file, prof)) return false;
  auto& lines = prof.lines;
  const auto makeLine = [&](const QString& text) {
    return Line{cp949::EncodeLossy(text), prof.eol};
  };

  qsizetype end = 0;
  const qsizetype header = FindSection(prof, sec, &end);
  if (header >= 0) {
    Parsed p;
    if (const qsizetype at = FindKey(prof, header + 1, end, k, &p); at >= 0) {
      // The key keeps the spelling it has in the file.
      lines[at].text = cp949::EncodeLossy(QString(p.name + QLatin1Char('=') + value));
    } else {
      // After the section's last non-blank line, so a blank line before the next section stays.
      qsizetype pos = end;
      while (pos > header + 1 && TrimBlanks(cp949::Decode(lines[pos - 1].text)).isEmpty()) --pos;
      if (lines[pos - 1].eol.isEmpty()) lines[pos - 1].eol = prof.eol;
      lines.insert(lines.begin() + pos, makeLine(k + QLatin1Char('=') + value));
    }
  } else {
    if (!lines.empty() && lines.back().eol.isEmpty()) lines.back().eol = prof.eol;
    lines.push_back(makeLine(QLatin1Char('[') + sec + QLatin1Char(']')));
    lines.push_back(makeLine(k + QLatin1Char('=') + value));
  }
  return Save(file, prof);
}

bool DeleteKey(const QString& section, const QString& key, const QString& file) {
  if (TrimBlanks(key).isEmpty()) return true;
  Profile prof;
  if (!Load(file, prof)) return false;
  qsizetype end = 0;
  const qsizetype header = FindSection(prof, TrimBlanks(section), &end);
  if (header < 0) return true;
  const qsizetype at = FindKey(prof, header + 1, end, TrimBlanks(key));
  if (at < 0) return true;
  prof.lines.erase(prof.lines.begin() + at);
  return Save(file, prof);
}

bool DeleteSection(const QString& section, const QString& file) {
  Profile prof;
  if (!Load(file, prof)) return false;
  qsizetype end = 0;
  const qsizetype header = FindSection(prof, TrimBlanks(section), &end);
  if (header < 0) return true;
  prof.lines.erase(prof.lines.begin() + header, prof.lines.begin() + end);
  return Save(file, prof);
}

}  // namespace profile
