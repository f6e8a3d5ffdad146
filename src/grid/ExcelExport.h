#pragma once
// Writing a grid's rows to a spreadsheet file (.xlsx), named after the current time in the
// data folder's "ExpExcel" (paths::DataFolder) unless the caller names file or folder, and opening
// it.
//
// What goes into the file: the optional title row, then (with copyHeaders) the column-header
// rows as bold centred texts, then rows 1 … MaxRows of the grid. Number cells are numeric cells
// with the grid's decimals and separators, and so are formula results and texts that read as
// numbers in a number column; every other cell is text, so IDs and phone numbers keep their
// leading zeros. Hidden columns and rows are written hidden, not left out: the column letters
// match the grid and nothing is lost. The grid itself is only read.

#include <QString>

class SpreadGrid;

// Returns the full path of the written file, or an empty text when nothing was written. The
// defaults are what the customer list and the usage ledger pass. `ignored` has no effect;
// `checkRight` asks for the staff member's export right, which nothing records, so the export
// always proceeds. `wholeBook` writes the grid's one sheet under the name "Sheet1".
QString ExportToExcelFile(SpreadGrid& grid, const QString& sheetName = QStringLiteral("Sheet1"),
                          bool ignored = true, bool noConfirm = false, bool wholeBook = false,
                          bool openAfterwards = true, bool copyHeaders = true,
                          bool skipDataCheck = false, const QString& fileName = QString(),
                          const QString& folder = QString(), bool titleRow = false,
                          const QString& fromDate = QString(), const QString& toDate = QString(),
                          bool checkRight = true);

// The texts the export shows.
QString
ExportNoDataText();  // "엑셀로 보낼 데이터가 없습니다." CRLF "자료 조회 후 엑셀로 보내세요."
QString ExportQuestionText();  // "엑셀로 자료를 내보내기 하시겠습니까?"
QString ExportFailedText();    // "엑셀로 내보내기에 실패했습니다."
