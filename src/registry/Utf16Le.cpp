#include "Utf16Le.h"

#include <QtEndian>

namespace reg {

QByteArray Utf16LeBytes(QStringView text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    if (!text.isEmpty())
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QByteArray Utf16LeBytesTerminated(QStringView text)
{
    QByteArray bytes = Utf16LeBytes(text);
    bytes.append(2, '\0');
    return bytes;
}

QString FromUtf16Le(const void* bytes, qsizetype size)
{
    const qsizetype units = size / 2;
    if (units <= 0)
        return QString();
    QString text(units, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes, units, text.data());
    return text;
}

} // namespace reg
