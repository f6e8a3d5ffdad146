#include "print/HeaderFooterCode.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace hf {

QString PageNumberLabel() { return QStringLiteral("<Page Number>"); }
QString PageCountLabel() { return QStringLiteral("<Page Count>"); }

namespace {

// Reads `"..."` at pos; false when the quotes are not there.
bool ReadQuoted(const QString& code, qsizetype& pos, QString& out) {
  if (pos >= code.size() || code[pos] != QLatin1Char('"')) return false;
  const qsizetype end = code.indexOf(QLatin1Char('"'), pos + 1);
  if (end < 0) return false;
  out = code.mid(pos + 1, end - pos - 1);
  pos = end + 1;
  return true;
}

class Parser {
 public:
  explicit Parser(const QString& code) : m_code(code) {}

  ParseResult Go() {
    ParseResult result;
    if (m_code.isEmpty()) return result;
    m_lines.emplace_back();
    qsizetype i = 0;
    while (i < m_code.size()) {
      const QChar ch = m_code[i];
      if (ch != QLatin1Char('/') || i + 1 >= m_code.size()) {
        Append(ch);
        ++i;
        continue;
      }
      const QChar c = m_code[i + 1].toLower();
      i += 2;
      if (c == QLatin1Char('/')) {
        Append(QLatin1Char('/'));
      } else if (c == QLatin1Char('l')) {
        m_align = Left;
      } else if (c == QLatin1Char('c')) {
        m_align = Center;
      } else if (c == QLatin1Char('r')) {
        m_align = Right;
      } else if (c == QLatin1Char('n')) {
        m_lines.back().font = m_font;
        m_lines.emplace_back();
      } else if (c == QLatin1Char('p')) {
        if (i < m_code.size() && m_code[i].toLower() == QLatin1Char('c')) {
          Append(kPageCountMark);
          ++i;
        } else {
          Append(kPageMark);
        }
      } else if (c == QLatin1Char('f')) {
        if (!FontCode(i, result.error)) break;
      } else {
        // Not a code: printed as written rather than lost.
        Append(QLatin1Char('/'));
        Append(m_code[i - 1]);
      }
    }
    m_lines.back().font = m_font;
    result.doc.lines = std::move(m_lines);
    return result;
  }

 private:
  bool FontCode(qsizetype& i, QString& error) {
    if (i >= m_code.size()) return true;
    const QChar c = m_code[i].toLower();
    ++i;
    if (c == QLatin1Char('n')) {
      QString name;
      if (!ReadQuoted(m_code, i, name) || name.isEmpty()) {
        error = QStringLiteral("Error parsing FONT NAME");
        return false;
      }
      m_font.name = name;
    } else if (c == QLatin1Char('z')) {
      QString size;
      bool ok = false;
      const double v = ReadQuoted(m_code, i, size) ? size.trimmed().toDouble(&ok) : 0;
      if (!ok || v <= 0) {
        error = QStringLiteral("Error parsing FONT SIZE");
        return false;
      }
      m_font.size = v;
    } else if (c == QLatin1Char('b') || c == QLatin1Char('i') || c == QLatin1Char('u') ||
               c == QLatin1Char('k')) {
      const bool on = i < m_code.size() && m_code[i] == QLatin1Char('1');
      if (i < m_code.size() && (m_code[i] == QLatin1Char('0') || m_code[i] == QLatin1Char('1')))
        ++i;
      bool& attr = c == QLatin1Char('b')   ? m_font.bold
                   : c == QLatin1Char('i') ? m_font.italic
                   : c == QLatin1Char('u') ? m_font.underline
                                           : m_font.strike;
      attr = on;
    } else if (c == QLatin1Char('s')) {
      if (i < m_code.size() && m_code[i].isDigit()) m_slots[m_code[i++].digitValue()] = m_font;
    } else if (c.isDigit()) {
      m_font = m_slots[c.digitValue()];
    }
    return true;
  }

  void Append(QChar ch) {
    std::vector<Run>& runs = m_lines.back().parts[m_align];
    if (runs.empty() || !(runs.back().font == m_font)) runs.push_back({m_font, QString()});
    runs.back().text.append(ch);
  }

  const QString& m_code;
  std::vector<Line> m_lines;
  Font m_font;
  std::array<Font, 10> m_slots{};
  Align m_align = Left;
};

}  // namespace

ParseResult Parse(const QString& code) { return Parser(code).Go(); }

QString EscapeText(const QString& text) {
  QString out = text;
  out.replace(QLatin1Char('/'), QStringLiteral("//"));
  return out;
}

QString CodeForText(const QString& text) {
  QString out;
  out.reserve(text.size() + 8);
  for (const QChar ch : text) {
    if (ch == kPageMark)
      out += QStringLiteral("/p");
    else if (ch == kPageCountMark)
      out += QStringLiteral("/pc");
    else if (ch == QLatin1Char('/'))
      out += QStringLiteral("//");
    else
      out += ch;
  }
  return out;
}

QString FontCodes(const Font& font) {
  auto flag = [](bool on) { return on ? QLatin1Char('1') : QLatin1Char('0'); };
  return QStringLiteral("/fn\"%1\"/fz\"%2\"/fb%3/fi%4/fu%5/fk%6")
      .arg(font.name)
      .arg(static_cast<long>(std::lround(font.size)))
      .arg(flag(font.bold))
      .arg(flag(font.italic))
      .arg(flag(font.underline))
      .arg(flag(font.strike));
}

std::vector<CellRow> ToCells(const Document& doc) {
  std::vector<CellRow> rows;
  rows.reserve(doc.lines.size());
  for (const Line& line : doc.lines) {
    CellRow row;
    for (int z = 0; z < 3; ++z) {
      const std::vector<Run>& runs = line.parts[size_t(z)];
      row[size_t(z)].font = runs.empty() ? line.font : runs.front().font;
      QString text;
      for (const Run& r : runs) text += r.text;
      text.replace(kPageCountMark, PageCountLabel());
      text.replace(kPageMark, PageNumberLabel());
      row[size_t(z)].text = text;
    }
    rows.push_back(row);
  }
  return rows;
}

QString CellCode(const Cell& cell, int column) {
  static const char* const kAlign[] = {"/l", "/c", "/r"};
  QString text = cell.text;
  // Labels first become marks so that their own characters are not escaped.
  text.replace(PageCountLabel(), QString(kPageCountMark));
  text.replace(PageNumberLabel(), QString(kPageMark));
  return FontCodes(cell.font) + QLatin1String(kAlign[std::clamp(column, 0, 2)]) + CodeForText(text);
}

QString CellsToCode(const std::vector<CellRow>& rows) {
  QStringList lines;
  for (const CellRow& row : rows) {
    QString line;
    for (int z = 0; z < 3; ++z)
      if (!row[size_t(z)].text.isEmpty()) line += CellCode(row[size_t(z)], z);
    lines << line;
  }
  return lines.join(QStringLiteral("/n"));
}

}  // namespace hf
