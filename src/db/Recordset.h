#pragma once
// The disconnected, text-only result of a SELECT: fields by name or position, one current record,
// ADO-style navigation. The cells keep the bytes the server sent (code page 949) in one buffer,
// with the end of each cell counted from the start of its row, and are decoded when they are
// read: a million-row result costs a few allocations, and about what the server sent.

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
  int RecordCount() const { return static_cast<int>(Rows()); }
  bool Eof() const { return Rows() == 0 || m_pos >= static_cast<std::ptrdiff_t>(Rows()); }
  bool Bof() const { return Rows() == 0 || m_pos < 0; }
  int AbsolutePosition() const { return Eof() || Bof() ? -1 : static_cast<int>(m_pos) + 1; }
  void MoveFirst() { m_pos = 0; }
  void MoveLast() { m_pos = Rows() == 0 ? 0 : static_cast<std::ptrdiff_t>(Rows()) - 1; }
  void MoveNext() {
    if (m_pos < static_cast<std::ptrdiff_t>(Rows())) ++m_pos;
  }
  void MovePrevious() {
    if (m_pos >= 0) --m_pos;
  }

  // Values of the current record; empty text at BOF/EOF or for an unknown field. A name the
  // record set does not have is a mistake in the program: it shows the standard error box (and
  // stops at an assertion in debug builds while assertUnknownField is on) before the empty text.
  QString Fields(int index) const;
  QString Fields(const QString& name) const;

  // Adding records: AddNew starts one, SetValue fills its fields, Update (or the next AddNew)
  // commits it. The new record becomes the current one.
  void AddNew();
  void SetValue(int index, const QString& value);
  void SetValue(const QString& name, const QString& value);  // unknown names as Fields does
  void Update();
  void UpdateBatch() { Update(); }

  // Fast path for the session: the bytes of the next cell of the record being appended, as the
  // server sent them. Cells arrive in field order; EndRow commits the record.
  std::vector<char>& ByteBuffer() { return m_bytes; }
  void EndCell() {
    m_cellEnd.push_back(static_cast<std::uint32_t>(m_bytes.size() - m_rowStart.back()));
  }
  void EndRow() {
    m_rowStart.push_back(m_bytes.size());
    ++m_rows;
  }
  // Gives back capacity beyond a quarter over what the records hold.
  void ShrinkToFit();

  // Bytes held by the records (for the memory figures of the benchmark).
  std::size_t MemoryBytes() const;

  // Tests that check the error box switch the debug assertion off.
  static inline bool assertUnknownField = true;

 private:
  std::size_t Rows() const { return m_rows + m_added.size(); }
  int KnownFieldIndex(const QString& name, const char* procedure) const;
  void CommitPending();

  QStringList m_names;
  std::vector<int> m_sizes;
  QHash<QString, int> m_index;  // lower-case name -> first field of that name
  bool m_open = false;

  std::vector<char> m_bytes;
  std::vector<std::uint64_t> m_rowStart{0};  // row r's bytes start at m_rowStart[r]
  std::vector<std::uint32_t> m_cellEnd;      // cell c of row r ends at m_cellEnd[r*cols+c]
  std::size_t m_rows = 0;                    // fetched rows, then the added ones
  std::vector<QStringList> m_added;          // records made by AddNew, after the fetched ones
  std::ptrdiff_t m_pos = 0;

  bool m_pending = false;
  QStringList m_pendingValues;
};
