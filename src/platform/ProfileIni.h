#pragma once
// INI profile files with the semantics the old program relied on: sections and keys match
// without regard to case, writing one key keeps every other line of the file, a read returns at
// most bufferLength - 1 characters. Files are kept in code page 949.

#include <QString>

namespace profile {

// Blanks around keys and values are trimmed, and a value in matching double or single quotes
// loses them. A missing file, section or key gives def without its trailing blanks; the default
// is cut to bufferLength - 1 characters like a value.
QString GetString(const QString& section, const QString& key, const QString& def, int bufferLength,
                  const QString& file);
// Creates the file and the section when needed (the folder must exist); every other line, the
// order and the line breaks stay as they were, and new files get CR LF. Returns false when the
// file cannot be written, and refuses what would not read back as one key line: line breaks,
// '=' in the key, ']' in the section, empty names.
bool WriteString(const QString& section, const QString& key, const QString& value,
                 const QString& file);
// Both succeed without touching the file when there is nothing to delete.
bool DeleteKey(const QString& section, const QString& key, const QString& file);
bool DeleteSection(const QString& section, const QString& file);

}  // namespace profile
