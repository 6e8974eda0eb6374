#pragma once
// The typed reads and writes the utility makes, with the registry's buffer rules: a value is read
// into a buffer of fixed size, a longer value fails to read (and counts as missing to the caller),
// and the stored type is not checked.

#include "Registry.h"

namespace reg {

// Reads the value's raw bytes into a 4-byte buffer; *value keeps its other bytes when fewer are stored.
LSTATUS QueryDword(HKEY key, const QString& name, DWORD* value);

// Reads the value into a buffer of bufferUnits UTF-16 units (terminator included) and takes the text
// up to the first NUL.
LSTATUS QueryString(HKEY key, const QString& name, int bufferUnits, QString* text);

// A record's value as a page reads it: the value, or empty (0) when it is missing or cannot be
// read. *whole turns false when the value is there but cannot be read (longer than the buffer, a
// failure of the store): the page then keeps the record as stored instead of rewriting it.
QString ReadRecordText(HKEY key, const QString& name, int bufferUnits, bool* whole);
DWORD ReadRecordDword(HKEY key, const QString& name, bool* whole);

LSTATUS SetDword(HKEY key, const QString& name, DWORD value);
// REG_SZ (or another string type) with its terminator: (length + 1) * 2 bytes.
LSTATUS SetString(HKEY key, const QString& name, const QString& text, DWORD type = REG_SZ);

// Opens each subkey of key for reading, in enumeration order, and hands it to visit(subkey,
// path + "\\" + name); stops at the first failure of the walk or of visit.
template <typename Visit>
LSTATUS ForEachSubkey(HKEY key, const QString& path, Visit&& visit)
{
    QString name;
    LSTATUS status;
    for (DWORD i = 0; (status = RegEnumKeyEx(key, i, &name)) == ERROR_SUCCESS; ++i) {
        Key sub;
        if ((status = RegOpenKeyEx(key, name, KEY_READ, sub.put())) != ERROR_SUCCESS)
            return status;
        if ((status = visit(sub.get(), path + u'\\' + name)) != ERROR_SUCCESS)
            return status;
    }
    return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
}

// Buffer size of the system's fixed text buffers: 259 characters and the terminator.
constexpr int kTextBufferUnits = 260;

} // namespace reg
