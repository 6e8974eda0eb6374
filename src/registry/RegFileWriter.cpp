#include "RegFileWriter.h"

#include "RegKeyName.h"
#include "RegValues.h"
#include "Utf16Le.h"

#include <QtEndian>

namespace reg {

namespace {

// Byte lists wrap once the line reaches this column.
constexpr int kWrapColumn = 77;

QString Escaped(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

// A REG_SZ is written as text only when it reads back to the same bytes.
bool IsPlainString(const QByteArray& data)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    const int units = int(data.size() / 2);
    for (int i = 0; i < units; ++i) {
        const bool zero = data[2 * i] == 0 && data[2 * i + 1] == 0;
        if (zero != (i == units - 1))
            return false;
    }
    return true;
}

void AppendHexByte(QString* line, unsigned char b)
{
    static const char digits[] = "0123456789abcdef";
    line->append(QLatin1Char(digits[b >> 4]));
    line->append(QLatin1Char(digits[b & 15]));
}

void AppendHex(QString* line, DWORD type, const QByteArray& data)
{
    *line += type == REG_BINARY ? QStringLiteral("hex:") : QStringLiteral("hex(%1):").arg(type, 0, 16);
    int column = int(line->size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        AppendHexByte(line, static_cast<unsigned char>(data[i]));
        if (i == data.size() - 1)
            break;
        *line += u',';
        column += 3;
        if (column >= kWrapColumn) {
            *line += QStringLiteral("\\\r\n  ");
            column = 2;
        }
    }
}

LSTATUS ExportKey(HKEY key, const QString& keyLine, QString* out, QString* failedKey)
{
    *failedKey = keyLine;
    // Such a name can only come from an old file; written out, it would become lines of its own.
    if (HasControlCharacter(keyLine))
        return ERROR_INVALID_PARAMETER;
    *out += QStringLiteral("\r\n[") + keyLine + QStringLiteral("]\r\n");
    QString name;
    DWORD type = 0;
    QByteArray data;
    LSTATUS status;
    for (DWORD i = 0; (status = RegEnumValue(key, i, &name, &type, &data)) == ERROR_SUCCESS; ++i)
        *out += FormatValueLine(name, type, data) + QStringLiteral("\r\n");
    if (status != ERROR_NO_MORE_ITEMS)
        return status;
    status = ForEachSubkey(key, keyLine,
                           [&](HKEY sub, const QString& line) { return ExportKey(sub, line, out, failedKey); });
    if (status != ERROR_SUCCESS)
        return status;
    *failedKey = keyLine;
    return ERROR_SUCCESS;
}

} // namespace

QString FormatValueLine(const QString& name, DWORD type, const QByteArray& data)
{
    QString line = name.isEmpty() ? QStringLiteral("@=") : u'"' + Escaped(name) + QStringLiteral("\"=");
    if (type == REG_SZ && IsPlainString(data))
        line += u'"' + Escaped(FromUtf16Le(data.constData(), data.size() - 2)) + u'"';
    else if (type == REG_DWORD && data.size() == 4)
        line += QStringLiteral("dword:%1").arg(qFromLittleEndian<DWORD>(data.constData()), 8, 16, QChar(u'0'));
    else
        AppendHex(&line, type, data);
    return line;
}

LSTATUS ExportRegFile(Root root, const QString& path, QByteArray* file, QString* failedKey)
{
    QString failed;
    if (!failedKey)
        failedKey = &failed;
    *failedKey = path.isEmpty() ? RootName(root) : RootName(root) + u'\\' + path;
    Key key;
    LSTATUS status = RegOpenKeyEx(RootKey(root), path, KEY_READ, key.put());
    if (status != ERROR_SUCCESS)
        return status;
    QString stored;
    RegGetKeyPath(key, nullptr, &stored);
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n");
    status = ExportKey(key, stored.isEmpty() ? RootName(root) : RootName(root) + u'\\' + stored, &text, failedKey);
    if (status != ERROR_SUCCESS)
        return status;
    text += QStringLiteral("\r\n");
    *file = QByteArray("\xFF\xFE", 2) + Utf16LeBytes(text);
    return ERROR_SUCCESS;
}

} // namespace reg
