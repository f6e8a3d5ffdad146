#include "db/Recordset.h"

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
  m_text = {};
  m_offsets = {0};
  m_rows = 0;
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

QStringView Recordset::FieldView(int index) const {
  if (index < 0 || index >= FieldCount() || Eof() || Bof()) return {};
  if (m_pending && static_cast<std::size_t>(m_pos) == m_rows) return m_pendingValues.at(index);
  const std::size_t cell = static_cast<std::size_t>(m_pos) * m_names.size() + index;
  const std::uint64_t begin = m_offsets[cell];
  const std::uint64_t end = m_offsets[cell + 1];
  return QStringView(m_text.data() + begin, static_cast<qsizetype>(end - begin));
}

void Recordset::AddNew() {
  CommitPending();
  m_pending = true;
  m_pendingValues = QStringList();
  for (int i = 0; i < FieldCount(); ++i) m_pendingValues << QString();
  m_pos = static_cast<std::ptrdiff_t>(m_rows);
}

void Recordset::SetValue(int index, const QString& value) {
  if (m_pending && index >= 0 && index < FieldCount()) m_pendingValues[index] = value;
}

void Recordset::Update() { CommitPending(); }

void Recordset::CommitPending() {
  if (!m_pending) return;
  for (const QString& v : std::as_const(m_pendingValues)) {
    m_text.insert(m_text.end(), reinterpret_cast<const char16_t*>(v.constData()),
                  reinterpret_cast<const char16_t*>(v.constData()) + v.size());
    EndCell();
  }
  EndRow();
  m_pending = false;
  m_pendingValues.clear();
}

void Recordset::Reserve(std::size_t rows, std::size_t textUnits) {
  m_offsets.reserve(rows * m_names.size() + 1);
  m_text.reserve(textUnits);
}

void Recordset::ShrinkToFit() {
  if (m_text.capacity() > m_text.size() + m_text.size() / 4) m_text.shrink_to_fit();
  if (m_offsets.capacity() > m_offsets.size() + m_offsets.size() / 4) m_offsets.shrink_to_fit();
}

std::size_t Recordset::MemoryBytes() const {
  return m_text.capacity() * sizeof(char16_t) + m_offsets.capacity() * sizeof(std::uint64_t);
}
