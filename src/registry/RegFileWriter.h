#pragma once
// Writes a key and everything below it in the registry editor's export format, so that the file
// loads in the Windows registry editor as well as here: UTF-16LE with BOM, CRLF line ends.

#include "Registry.h"

namespace reg {

// ERROR_FILE_NOT_FOUND when the key does not exist; ERROR_INVALID_PARAMETER when a key below it
// has a name with a control character, which the file could not hold. On failure *failedKey, when
// given, receives the full name (root included) of the key the export stopped at.
LSTATUS ExportRegFile(Root root, const QString& path, QByteArray* file, QString* failedKey = nullptr);

// One value line (without the line end), wrapped the way the registry editor wraps long byte lists.
QString FormatValueLine(const QString& name, DWORD type, const QByteArray& data);

} // namespace reg
