// The header/footer code language: what the parser makes of the program's own texts, what the
// editor writes for its cells, the round trip between the two, and the two font errors.
#include "print/FrmSPPrint_HeaderFooter.h"
#include "print/HeaderFooterCode.h"
#include "print/cFpPreview.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QRadioButton>

namespace {

using hf::Cell;
using hf::CellRow;
using hf::Font;

const QString P(hf::kPageMark), PC(hf::kPageCountMark);

Font F(double size, bool bold = false, QString name = QStringLiteral("굴림체")) {
  Font f;
  f.name = std::move(name);
  f.size = size;
  f.bold = bold;
  return f;
}

// Texts of every zone, line by line: "left|centre|right".
QStringList Zones(const hf::Document& doc) {
  QStringList out;
  for (const hf::Line& line : doc.lines) {
    QStringList parts;
    for (const auto& runs : line.parts) {
      QString t;
      for (const hf::Run& r : runs) t += r.text;
      parts << t;
    }
    out << parts.join(QLatin1Char('|'));
  }
  return out;
}

struct ParseCase {
  const char* name;
  QString code;
  QStringList zones;
};

TEST(HeaderFooterParse, TextsLandInTheirLinesAndZones) {
  const ParseCase cases[] = {
      {"plain text is left", QStringLiteral("abc"), {QStringLiteral("abc||")}},
      {"alignment codes", QStringLiteral("/la/cb/rc"), {QStringLiteral("a|b|c")}},
      {"alignment holds over lines",
       QStringLiteral("/cx/ny"),
       {QStringLiteral("|x|"), QStringLiteral("|y|")}},
      {"double slash is a slash", QStringLiteral("/c1//2"), {QStringLiteral("|1/2|")}},
      {"page and page count",
       QStringLiteral("Page: /p///pc"),
       {QStringLiteral("Page: ") + P + QLatin1Char('/') + PC + QStringLiteral("||")}},
      {"trailing new line makes an empty line",
       QStringLiteral("a/n"),
       {QStringLiteral("a||"), QStringLiteral("||")}},
      {"unknown code prints as written", QStringLiteral("/x1"), {QStringLiteral("/x1||")}},
      {"font codes print nothing",
       QStringLiteral("/fn\"Arial\"/fz\"12\"/fb1/fi1/fu1/fk1/fs1/f1a"),
       {QStringLiteral("a||")}},
      {"empty text has no lines", QString(), {}},
  };
  for (const ParseCase& c : cases) {
    const hf::ParseResult r = hf::Parse(c.code);
    EXPECT_TRUE(r.error.isEmpty()) << c.name;
    EXPECT_EQ(Zones(r.doc), c.zones) << c.name;
  }
}

TEST(HeaderFooterParse, SlotsKeepAndRecallFonts) {
  const hf::ParseResult r = hf::Parse(
      QStringLiteral("/fn\"A\"/fz\"16\"/fb1/fs1/fn\"B\"/fz\"9\"/fb0/fi1/fu1/fk1/fs2/f1x/f2y"));
  ASSERT_EQ(r.doc.lines.size(), 1u);
  const auto& runs = r.doc.lines[0].parts[hf::Left];
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].font, F(16, true, QStringLiteral("A")));
  Font b = F(9, false, QStringLiteral("B"));
  b.italic = b.underline = b.strike = true;
  EXPECT_EQ(runs[1].font, b);
}

TEST(HeaderFooterParse, TheProgramsFooterPutsPageLeftAndDateCentred) {
  const QString footer = cFpPreview::BuildFooter(16, QString(), true, true, true,
                                                 QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
  const hf::ParseResult r = hf::Parse(footer);
  ASSERT_TRUE(r.error.isEmpty());
  ASSERT_EQ(Zones(r.doc), (QStringList{QStringLiteral("||"),
                                       QStringLiteral("Page: ") + P + QLatin1Char('/') + PC +
                                           QStringLiteral("|출력일:2024-05-06 07:08:09|")}));
  EXPECT_EQ(r.doc.lines[1].parts[hf::Left][0].font, F(10));   // slot 3
  EXPECT_EQ(r.doc.lines[1].parts[hf::Center][0].font, F(9));  // slot 5
  const hf::ParseResult h = hf::Parse(
      cFpPreview::BuildHeader(16, QStringLiteral("a/b"), QStringLiteral("L"), QStringLiteral("C")));
  EXPECT_EQ(Zones(h.doc), (QStringList{QStringLiteral("|a/b|"), QStringLiteral("||"),
                                       QStringLiteral("L|C|"), QStringLiteral("||")}));
  EXPECT_EQ(h.doc.lines[0].parts[hf::Center][0].font, F(16, true));  // slot 1
  EXPECT_EQ(h.doc.lines[2].parts[hf::Center][0].font, F(10, true));  // slot 4
}

TEST(HeaderFooterBuild, FooterParts) {
  const QDateTime now(QDate(2024, 5, 6), QTime(7, 8, 9));
  const QString fonts = cFpPreview::FontDefinitions(16);
  struct Case {
    const char* name;
    QString note;
    bool on, pages, date;
    QString expected;
  } cases[] = {
      {"off, no note: empty", QString(), false, true, true, QString()},
      {"off with a note: the note alone", QStringLiteral("a\r\nb/c"), false, true, true,
       fonts + QStringLiteral("/n/n/f2/la/nb//c")},
      {"on, pages, date", QString(), true, true, true,
       fonts + QStringLiteral("/n/f3/lPage: /p///pc/f5/c출력일:2024-05-06 07:08:09")},
      {"on, no pages, no date", QString(), true, false, false, fonts + QStringLiteral("/n/f5/c")},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cFpPreview::BuildFooter(16, c.note, c.on, c.pages, c.date, now), c.expected)
        << c.name;
}

TEST(HeaderFooterWrite, CellCodes) {
  Font italic = F(10.6);
  italic.italic = true;
  struct Case {
    Cell cell;
    int column;
    QString code;
  } cases[] = {
      {{QStringLiteral("제목"), F(16, true)},
       1,
       QStringLiteral("/fn\"굴림체\"/fz\"16\"/fb1/fi0/fu0/fk0/c제목")},
      {{QStringLiteral("a/b"), F(9)},
       0,
       QStringLiteral("/fn\"굴림체\"/fz\"9\"/fb0/fi0/fu0/fk0/la//b")},
      {{QStringLiteral("<Page Number>"), italic},
       2,
       QStringLiteral("/fn\"굴림체\"/fz\"11\"/fb0/fi1/fu0/fk0/r/p")},
      {{QStringLiteral("<Page Number> of <Page Count>"), F(10)},
       0,
       QStringLiteral("/fn\"굴림체\"/fz\"10\"/fb0/fi0/fu0/fk0/l/p of /pc")},
  };
  for (const Case& c : cases)
    EXPECT_EQ(hf::CellCode(c.cell, c.column), c.code) << c.code.toStdString();
}

TEST(HeaderFooterWrite, CellsRoundTrip) {
  Font odd = F(12, false, QStringLiteral("Noto Sans"));
  odd.underline = odd.strike = true;
  const std::vector<std::vector<CellRow>> tables = {
      {{Cell{QStringLiteral("왼쪽"), F(10)}, Cell{QStringLiteral("A/B"), F(16, true)},
        Cell{QStringLiteral("<Page Number>"), F(9)}}},
      {{Cell{QStringLiteral("one"), F(10)}, Cell{}, Cell{}},
       {Cell{}, Cell{QStringLiteral("two // slashes"), odd}, Cell{}},
       {Cell{}, Cell{}, Cell{QStringLiteral("Page <Page Number>/<Page Count>"), F(8)}}},
  };
  for (const auto& cells : tables) {
    const QString code = hf::CellsToCode(cells);
    const hf::ParseResult r = hf::Parse(code);
    ASSERT_TRUE(r.error.isEmpty()) << code.toStdString();
    const std::vector<CellRow> back = hf::ToCells(r.doc);
    ASSERT_EQ(back.size(), cells.size()) << code.toStdString();
    for (size_t i = 0; i < cells.size(); ++i)
      for (size_t z = 0; z < 3; ++z) {
        EXPECT_EQ(back[i][z].text, cells[i][z].text) << code.toStdString();
        if (!cells[i][z].text.isEmpty()) {
          EXPECT_EQ(back[i][z].font, cells[i][z].font) << code.toStdString();
        }
      }
    // Writing what was read gives the same text again.
    EXPECT_EQ(hf::CellsToCode(back), code);
  }
}

TEST(HeaderFooterParse, BadFontNameOrSizeIsAnError) {
  struct Case {
    QString code;
    QString error;
  } cases[] = {
      {QStringLiteral("/fn굴림체\"x"), QStringLiteral("Error parsing FONT NAME")},
      {QStringLiteral("/fn\"굴림체"), QStringLiteral("Error parsing FONT NAME")},
      {QStringLiteral("/fn\"\"x"), QStringLiteral("Error parsing FONT NAME")},
      {QStringLiteral("/fz10"), QStringLiteral("Error parsing FONT SIZE")},
      {QStringLiteral("/fz\"ten\""), QStringLiteral("Error parsing FONT SIZE")},
      {QStringLiteral("/fz\"12"), QStringLiteral("Error parsing FONT SIZE")},
      {QStringLiteral("/fn\"A\"/fz\"12\"ok"), QString()},
  };
  for (const Case& c : cases) EXPECT_EQ(hf::Parse(c.code).error, c.error) << c.code.toStdString();
}

TEST(HeaderFooterEditor, ShowsParseErrorsAndWritesBack) {
  ScriptedPrompt prompt;
  print::Session s;
  s.setup.header = cFpPreview::BuildHeader(16, QStringLiteral("월/일 보고"), QStringLiteral("L"),
                                           QStringLiteral("C"));
  s.rememberedFooter = QStringLiteral("/fz\"x\"");
  s.setup.options[print::OptFooter] = true;
  FrmSPPrint_HeaderFooter editor(s);
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(editor.GetCellData(1, 2),
            QStringLiteral("/fn\"굴림체\"/fz\"16\"/fb1/fi0/fu0/fk0/c월//일 보고"));

  editor.optFooter->setChecked(true);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, QStringLiteral("Error parsing FONT SIZE"));
  EXPECT_EQ(prompt.Messages()[0].title, QStringLiteral("GetHeaderDetail"));

  // Page number into a filled cell asks first; No keeps the text.
  editor.AddCellData(1, 1, {QStringLiteral("note"), F(10)});
  prompt.AnswerNext(MsgResult::No);
  editor.TogglePageNumber(1, 1);
  EXPECT_EQ(prompt.Messages().back().title, QStringLiteral("Replace Existing Text"));
  prompt.AnswerNext(MsgResult::Yes);
  editor.TogglePageNumber(1, 1);
  EXPECT_EQ(editor.SaveConfiguration(),
            QStringLiteral("/fn\"굴림체\"/fz\"10\"/fb0/fi0/fu0/fk0/l/p"));
  EXPECT_EQ(s.setup.footer, s.rememberedFooter);
  EXPECT_EQ(s.rememberedFooter, QStringLiteral("/fn\"굴림체\"/fz\"10\"/fb0/fi0/fu0/fk0/l/p"));
  EXPECT_TRUE(prompt.AllAnswersUsed());
}

}  // namespace
