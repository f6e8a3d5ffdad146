#pragma once
// The code language of printed headers and footers: "/l" "/c" "/r" align what follows, "/n"
// starts a line, "/p" and "/pc" are the page number and count, "//" is a slash, "/fn" and "/fz"
// take a quoted font name and size, "/fb" "/fi" "/fu" "/fk" with 1 or 0 switch bold, italic,
// underline and strike-out, "/fsN" keeps the font in slot N and "/fN" takes it back.

#include <QString>

#include <array>
#include <vector>

namespace hf {

// Page number and page count inside parsed texts, replaced when a page is drawn.
inline constexpr QChar kPageMark = QChar(0xE000);
inline constexpr QChar kPageCountMark = QChar(0xE001);
// How the editor shows them in its cells.
QString PageNumberLabel();  // "<Page Number>"
QString PageCountLabel();   // "<Page Count>"

enum Align { Left = 0, Center = 1, Right = 2 };

struct Font {
  QString name = QStringLiteral("굴림체");
  double size = 10;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  bool operator==(const Font&) const = default;
};

struct Run {
  Font font;
  QString text;
  bool operator==(const Run&) const = default;
};

struct Line {
  std::array<std::vector<Run>, 3> parts;  // left, centre, right
  Font font;  // in force at the end of the line (an empty line's height)
  bool Empty() const { return parts[0].empty() && parts[1].empty() && parts[2].empty(); }
};

struct Document {
  std::vector<Line> lines;  // an empty code text has none
};

struct ParseResult {
  Document doc;
  // "" or "Error parsing FONT NAME" / "Error parsing FONT SIZE"; doc holds what came before.
  QString error;
};

ParseResult Parse(const QString& code);

// Doubles every slash, so the text prints as it is.
QString EscapeText(const QString& text);
// Page marks back to "/p" and "/pc", slashes doubled.
QString CodeForText(const QString& text);
// Font codes of one font: /fn"name"/fz"size"/fb./fi./fu./fk. (size rounded to a whole number).
QString FontCodes(const Font& font);

// One cell of the editor: the whole text of one part of one line, in one font.
struct Cell {
  QString text;  // as the editor shows it: "<Page Number>" for the page number
  Font font;
  bool operator==(const Cell&) const = default;
};
using CellRow = std::array<Cell, 3>;

// The editor's cells of a parsed text: one row per line; a part's font is its first run's.
std::vector<CellRow> ToCells(const Document& doc);
// One cell as code: font codes, the column's alignment code, then the text.
QString CellCode(const Cell& cell, int column);
// The code text of the editor's cells; empty cells add nothing, rows are joined by "/n".
QString CellsToCode(const std::vector<CellRow>& rows);

}  // namespace hf
