#include "StoreValues.h"

#include "registry/RegFileWriter.h"
#include "registry/RegValues.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstring>

using namespace reg;

namespace {

Key CreateKey(HKEY root, const QString& path)
{
    Key key;
    EXPECT_EQ(RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS) << qPrintable(path);
    return key;
}

} // namespace

void PutValue(HKEY root, const QString& path, const QString& name, DWORD type, const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const BYTE*>(bytes.constData());
    EXPECT_EQ(RegSetValueEx(CreateKey(root, path), name, type, data, DWORD(bytes.size())), ERROR_SUCCESS);
}

void PutDword(HKEY root, const QString& path, const QString& name, DWORD value)
{
    PutValue(root, path, name, REG_DWORD, QByteArray(reinterpret_cast<const char*>(&value), 4));
}

void PutString(HKEY root, const QString& path, const QString& name, const QString& text)
{
    EXPECT_EQ(SetString(CreateKey(root, path), name, text), ERROR_SUCCESS);
}

void PutKey(HKEY root, const QString& path) { CreateKey(root, path); }

std::optional<QByteArray> ReadBytes(HKEY root, const QString& path, const QString& name)
{
    Key key;
    DWORD size = 0;
    if (RegOpenKeyEx(root, path, KEY_READ, key.put()) != ERROR_SUCCESS ||
        RegQueryValueEx(key, name, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    QByteArray bytes(qsizetype(size), '\0');
    if (RegQueryValueEx(key, name, nullptr, reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return bytes.left(qsizetype(size));
}

std::optional<DWORD> ReadDword(HKEY root, const QString& path, const QString& name)
{
    const std::optional<QByteArray> bytes = ReadBytes(root, path, name);
    DWORD value = 0;
    if (!bytes || bytes->size() != 4)
        return std::nullopt;
    std::memcpy(&value, bytes->constData(), 4);
    return value;
}

QString ExportText(Root root, const QString& path)
{
    QByteArray file;
    if (ExportRegFile(root, path, &file) != ERROR_SUCCESS)
        return QStringLiteral("<missing>");
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2).replace("\r\n", "\n");
}

QString FileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}
