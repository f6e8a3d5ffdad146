#include "db/Recordset.h"

#include "platform/Cp949.h"
#include "platform/Prompt.h"

void Recordset::AppendField(const QString& name, int definedSize) {
  // The first field of a name wins, as a name look-up in the old recordset did.
  const QString key = name.toLower();
  if (!m_index.contains(key)) m_index.insert(key, static_cast<int>(m_names.size()));
  m_names << name;
  m_sizes.push_back(definedSize);
}

void Recordset::Open() {
  m_open = true;
  m_pos = 0;
}

void Recordset::Close() {
  m_open = false;
  m_bytes = {};
  m_rowStart = {0};
  m_cellEnd = {};
  m_rows = 0;
  m_added = {};
  m_pos = 0;
  m_pending = false;
  m_pendingValues.clear();
}

QString Recordset::FieldName(int index) const {
  return index >= 0 && index < FieldCount() ? m_names.at(index) : QString();
}

int Recordset::DefinedSize(int index) const {
  return index >= 0 && index < FieldCount() ? m_sizes[static_cast<std::size_t>(index)] : 0;
}

int Recordset::FieldIndex(const QString& name) const {
  const auto it = m_index.constFind(name.toLower());
  return it == m_index.constEnd() ? -1 : it.value();
}

int Recordset::KnownFieldIndex(const QString& name, const char* procedure) const {
  const int index = FieldIndex(name);
  if (index >= 0) return index;
  // Silence here would hide a misspelt name or a column missing from the SELECT.
  MsgError(3265,
           QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                          "name or ordinal: ") +
               name,
           QLatin1String(procedure), QStringLiteral("Recordset"));
  Q_ASSERT_X(!assertUnknownField, procedure, qPrintable(QStringLiteral("no field ") + name));
  return -1;
}

QString Recordset::Fields(const QString& name) const {
  return Fields(KnownFieldIndex(name, "Fields"));
}

void Recordset::SetValue(const QString& name, const QString& value) {
  SetValue(KnownFieldIndex(name, "SetValue"), value);
}

QString Recordset::Fields(int index) const {
  if (index < 0 || index >= FieldCount() || Eof() || Bof()) return {};
  const std::size_t row = static_cast<std::size_t>(m_pos);
  if (m_pending && row == Rows()) return m_pendingValues.at(index);
  if (row >= m_rows) return m_added[row - m_rows].at(index);
  const std::size_t cell = row * m_names.size() + static_cast<std::size_t>(index);
  const std::uint64_t base = m_rowStart[row];
  const std::uint64_t begin = index == 0 ? base : base + m_cellEnd[cell - 1];
  const std::uint64_t end = base + m_cellEnd[cell];
  return cp949::Decode(m_bytes.data() + begin, static_cast<std::size_t>(end - begin));
}

void Recordset::AddNew() {
  CommitPending();
  m_pending = true;
  m_pendingValues = QStringList();
  for (int i = 0; i < FieldCount(); ++i) m_pendingValues << QString();
  m_pos = static_cast<std::ptrdiff_t>(Rows());
}

void Recordset::SetValue(int index, const QString& value) {
  if (m_pending && index >= 0 && index < FieldCount()) m_pendingValues[index] = value;
}

void Recordset::Update() { CommitPending(); }

void Recordset::CommitPending() {
  if (!m_pending) return;
  m_added.push_back(m_pendingValues);
  m_pending = false;
  m_pendingValues.clear();
}

void Recordset::ShrinkToFit() {
  if (m_bytes.capacity() > m_bytes.size() + m_bytes.size() / 4) m_bytes.shrink_to_fit();
  if (m_cellEnd.capacity() > m_cellEnd.size() + m_cellEnd.size() / 4) m_cellEnd.shrink_to_fit();
  if (m_rowStart.capacity() > m_rowStart.size() + m_rowStart.size() / 4) m_rowStart.shrink_to_fit();
}

std::size_t Recordset::MemoryBytes() const {
  return m_bytes.capacity() + m_cellEnd.capacity() * sizeof(std::uint32_t) +
         m_rowStart.capacity() * sizeof(std::uint64_t);
}
