// .reg files through the store: import then export gives the same bytes; imports are atomic per root.

#include "TempStore.h"
#include "registry/RegFileImport.h"
#include "registry/RegFileWriter.h"
#include "registry/RegValues.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace reg;

namespace {

QByteArray Fixture(const char* name)
{
    QFile f(QStringLiteral(QSCUST_TEST_DATA "/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

QByteArray Utf16File(const QString& text)
{
    QByteArray bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

QString Exported(Root root, const QString& path)
{
    QByteArray bytes;
    EXPECT_EQ(ExportRegFile(root, path, &bytes), ERROR_SUCCESS);
    return QString(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
}

TEST(RegFileRoundTripTest, ExportFormImportsAndExportsByteForByte)
{
    TempStore store;
    const QByteArray original = Fixture("roundtrip.reg");
    const ImportResult result = ImportRegFile(original);
    ASSERT_TRUE(result.ok()) << (result.errors.isEmpty() ? "" : result.errors.first().message.toStdString());
    QByteArray exported;
    ASSERT_EQ(ExportRegFile(Root::CurrentUser, "software\\orvane\\talven", &exported), ERROR_SUCCESS);
    EXPECT_EQ(exported, original);
}

TEST(RegFileRoundTripTest, UnterminatedStringExportsAsHexAndComesBackTerminated)
{
    TempStore store;
    Key key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "S", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    RegSetValueEx(key, "u", REG_SZ, reinterpret_cast<const BYTE*>("h\0i\0"), 4);
    const QString text = Exported(Root::CurrentUser, "S");
    EXPECT_TRUE(text.contains("\"u\"=hex(1):68,00,69,00\r\n")) << text.toStdString();
    RegDeleteTree(HKEY_CURRENT_USER, "S");
    ASSERT_TRUE(ImportRegFile(Utf16File(text)).ok());
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "S", KEY_READ, key.put()), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueEx(key, "u", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
}

TEST(RegFileRoundTripTest, ImportAppliesGoodLinesOfEachRootAtomically)
{
    TempStore store;
    const QString file = QStringLiteral("Windows Registry Editor Version 5.00\r\n"
        "[HKEY_CURRENT_USER\\A]\r\n"
        "\"good\"=dword:1\r\n"
        "\"bad\"=dword:123456789\r\n"
        "[HKEY_LOCAL_MACHINE\\B]\r\n"
        "\"m\"=\"x\"\r\n"
        "[-HKEY_CURRENT_USER\\Gone]\r\n");
    Key gone;
    RegCreateKeyEx(HKEY_CURRENT_USER, "Gone\\Deep", KEY_ALL_ACCESS, gone.put());

    const struct { const char* what; bool machineReadOnly; bool userWritten; bool machineWritten; } cases[] = {
        {"machine root read-only", true, true, false},
        {"both roots writable", false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTree(HKEY_CURRENT_USER, "A");
        store.setReadOnly(Root::LocalMachine, c.machineReadOnly);
        const ImportResult result = ImportRegFile(Utf16File(file));
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.errors.first().line, 4) << "the bad dword is reported with its line";
        EXPECT_EQ(result.errors.size(), c.machineReadOnly ? 2 : 1);
        Key key;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, key.put()) == ERROR_SUCCESS, c.userWritten);
        DWORD value = 0;
        EXPECT_EQ(QueryDword(key, "good", &value), ERROR_SUCCESS);
        EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "B", KEY_READ, key.put()) == ERROR_SUCCESS, c.machineWritten);
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Gone", KEY_READ, key.put()), ERROR_FILE_NOT_FOUND);
    }
}

TEST(RegFileRoundTripTest, BadHeaderWritesNothing)
{
    TempStore store;
    const ImportResult result = ImportRegFile(QByteArray("Windows Registry Editor Version 4.00\n[HKEY_CURRENT_USER\\A]\n"));
    EXPECT_TRUE(result.refused);
    Key key;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, key.put()), ERROR_FILE_NOT_FOUND);
}

TEST(RegFileRoundTripTest, ValueLinesWrapWhereTheRegistryEditorWrapsThem)
{
    const struct { QString name; int bytes; int firstLineBytes; } cases[] = {
        {"n", 30, 23},  // "n"=hex: is 8 columns, each byte 3 more: 8 + 3 * 23 reaches 77
        {QString(), 30, 24},            // @=hex: is 6 columns
        {QString(80, u'x'), 3, 1},      // a long name wraps after the first byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        const QString line = FormatValueLine(c.name, REG_BINARY, QByteArray(c.bytes, '\x01'));
        const QString first = line.section("\r\n", 0, 0);
        EXPECT_EQ(first.count("01"), c.firstLineBytes) << line.toStdString();
        EXPECT_TRUE(first.endsWith(",\\"));
    }
}

} // namespace
