#pragma once
// The disconnected, text-only result of a SELECT: fields by name or position, one current record,
// ADO-style navigation. All cell texts live in one UTF-16 buffer so that a million-row result
// costs two allocations, not millions.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <vector>

class Recordset {
 public:
  static constexpr int adStateClosed = 0;
  static constexpr int adStateOpen = 1;

  // Structure; only before Open.
  void AppendField(const QString& name, int definedSize);
  void Open();
  void Close();
  int State() const { return m_open ? adStateOpen : adStateClosed; }

  int FieldCount() const { return static_cast<int>(m_names.size()); }
  QString FieldName(int index) const;
  int DefinedSize(int index) const;
  // Field names match without regard to case; -1 when there is no such field.
  int FieldIndex(const QString& name) const;

  // Navigation over the records.
  int RecordCount() const { return static_cast<int>(m_rows); }
  bool Eof() const { return m_rows == 0 || m_pos >= static_cast<std::ptrdiff_t>(m_rows); }
  bool Bof() const { return m_rows == 0 || m_pos < 0; }
  int AbsolutePosition() const { return Eof() || Bof() ? -1 : static_cast<int>(m_pos) + 1; }
  void MoveFirst() { m_pos = 0; }
  void MoveLast() { m_pos = m_rows == 0 ? 0 : static_cast<std::ptrdiff_t>(m_rows) - 1; }
  void MoveNext() {
    if (m_pos < static_cast<std::ptrdiff_t>(m_rows)) ++m_pos;
  }
  void MovePrevious() {
    if (m_pos >= 0) --m_pos;
  }

  // Values of the current record; empty text at BOF/EOF or for an unknown field. A name the
  // record set does not have is a mistake in the program: it shows the standard error box (and
  // stops at an assertion in debug builds while assertUnknownField is on) before the empty text.
  QString Fields(int index) const { return FieldView(index).toString(); }
  QString Fields(const QString& name) const;
  QStringView FieldView(int index) const;

  // Adding records: AddNew starts one, SetValue fills its fields, Update (or the next AddNew)
  // commits it. The new record becomes the current one.
  void AddNew();
  void SetValue(int index, const QString& value);
  void SetValue(const QString& name, const QString& value);  // unknown names as Fields does
  void Update();
  void UpdateBatch() { Update(); }

  // Fast path for the session: the next cell of the record being appended, already in UTF-16.
  // Cells arrive in field order; EndRow commits the record.
  std::vector<char16_t>& TextBuffer() { return m_text; }
  void EndCell() { m_offsets.push_back(static_cast<std::uint64_t>(m_text.size())); }
  void EndRow() { ++m_rows; }
  void Reserve(std::size_t rows, std::size_t textUnits);
  // Gives back capacity beyond a quarter over what the records hold.
  void ShrinkToFit();

  // Bytes held by the records (for the memory figures of the benchmark).
  std::size_t MemoryBytes() const;

  // Tests that check the error box switch the debug assertion off.
  static inline bool assertUnknownField = true;

 private:
  int KnownFieldIndex(const QString& name, const char* procedure) const;
  void CommitPending();

  QStringList m_names;
  std::vector<int> m_sizes;
  QHash<QString, int> m_index;  // lower-case name -> first field of that name
  bool m_open = false;

  std::vector<char16_t> m_text;
  std::vector<std::uint64_t> m_offsets{0};  // cell c of row r ends at m_offsets[r*cols+c+1]
  std::size_t m_rows = 0;
  std::ptrdiff_t m_pos = 0;

  bool m_pending = false;
  QStringList m_pendingValues;
};
