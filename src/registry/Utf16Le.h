#pragma once
// Text in the store and in .reg files is UTF-16 little-endian, unit for unit, whatever the host.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace reg {

QByteArray Utf16LeBytes(QStringView text);
// The text and its terminator, as string values are written.
QByteArray Utf16LeBytesTerminated(QStringView text);
// An odd last byte is ignored; lone surrogates are kept.
QString FromUtf16Le(const void* bytes, qsizetype size);
inline QString FromUtf16Le(const QByteArray& bytes)
{
    return FromUtf16Le(bytes.constData(), bytes.size());
}

} // namespace reg
