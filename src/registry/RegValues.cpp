#include "RegValues.h"

#include "Utf16Le.h"

#include <QVarLengthArray>
#include <QtEndian>

namespace reg {

LSTATUS QueryDword(HKEY key, const QString& name, DWORD* value)
{
    BYTE bytes[4];
    qToLittleEndian(*value, bytes);
    DWORD size = sizeof bytes;
    const LSTATUS status = RegQueryValueEx(key, name, nullptr, bytes, &size);
    if (status == ERROR_SUCCESS)
        *value = qFromLittleEndian<DWORD>(bytes);
    return status;
}

LSTATUS QueryString(HKEY key, const QString& name, int bufferUnits, QString* text)
{
    if (bufferUnits <= 0)
        return ERROR_INVALID_PARAMETER;
    QVarLengthArray<BYTE, 2 * kTextBufferUnits> buffer(bufferUnits * 2);
    DWORD size = DWORD(buffer.size());
    const LSTATUS status = RegQueryValueEx(key, name, nullptr, buffer.data(), &size);
    if (status != ERROR_SUCCESS)
        return status;
    QString result = FromUtf16Le(buffer.constData(), size);
    const qsizetype nul = result.indexOf(QChar(u'\0'));
    if (nul >= 0)
        result.truncate(nul);
    *text = result;
    return ERROR_SUCCESS;
}

LSTATUS SetDword(HKEY key, const QString& name, DWORD value)
{
    BYTE bytes[4];
    qToLittleEndian(value, bytes);
    return RegSetValueEx(key, name, REG_DWORD, bytes, sizeof bytes);
}

LSTATUS SetString(HKEY key, const QString& name, const QString& text, DWORD type)
{
    const QByteArray bytes = Utf16LeBytesTerminated(text);
    return RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(bytes.constData()), DWORD(bytes.size()));
}

namespace {

bool ReadOrMissing(LSTATUS status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; }

} // namespace

QString ReadRecordText(HKEY key, const QString& name, int bufferUnits, bool* whole)
{
    QString text;
    const LSTATUS status = QueryString(key, name, bufferUnits, &text);
    *whole = *whole && ReadOrMissing(status);
    return status == ERROR_SUCCESS ? text : QString();
}

DWORD ReadRecordDword(HKEY key, const QString& name, bool* whole)
{
    DWORD value = 0;
    const LSTATUS status = QueryDword(key, name, &value);
    *whole = *whole && ReadOrMissing(status);
    return status == ERROR_SUCCESS ? value : 0;
}

} // namespace reg
