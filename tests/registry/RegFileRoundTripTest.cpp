// .reg files through the store: import then export gives the same bytes; imports are atomic per root.

#include "TempStore.h"
#include "registry/RegFileImport.h"
#include "registry/RegFileWriter.h"
#include "registry/RegValues.h"
#include "registry/Utf16Le.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace reg;

namespace {

QByteArray Exported(const QString& path)
{
    QByteArray bytes;
    EXPECT_EQ(ExportRegFile(Root::CurrentUser, path, &bytes), ERROR_SUCCESS);
    return bytes;
}

TEST(RegFileRoundTripTest, ExportFormImportsAndExportsByteForByte)
{
    TempStore store;
    QFile fixture(QSCUST_TEST_DATA "/roundtrip.reg");
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray original = fixture.readAll();
    const ImportResult result = ImportRegFile(original);
    ASSERT_TRUE(result.ok()) << (result.errors.isEmpty() ? "" : result.errors.first().message.toStdString());
    EXPECT_EQ(Exported("software\\orvane\\talven"), original);
}

TEST(RegFileRoundTripTest, UnterminatedStringExportsAsHexAndComesBackTerminated)
{
    TempStore store;
    Key key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "S", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    RegSetValueEx(key, "u", REG_SZ, reinterpret_cast<const BYTE*>("h\0i\0"), 4);
    const QByteArray file = Exported("S");
    EXPECT_TRUE(file.contains(Utf16LeBytes(u"\"u\"=hex(1):68,00,69,00\r\n"))) << FromUtf16Le(file).toStdString();
    RegDeleteTree(HKEY_CURRENT_USER, "S");
    ASSERT_TRUE(ImportRegFile(file).ok());
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "S", KEY_READ, key.put()), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueEx(key, "u", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
}

TEST(RegFileRoundTripTest, ImportAppliesGoodLinesOfEachRootAtomically)
{
    TempStore store;
    const QByteArray file = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"good\"=dword:1\n"
                            "\"bad\"=dword:123456789\n[HKEY_LOCAL_MACHINE\\B]\n\"m\"=\"x\"\n[-HKEY_CURRENT_USER\\G]\n";
    Key key;
    RegCreateKeyEx(HKEY_CURRENT_USER, "G\\D", KEY_ALL_ACCESS, key.put());
    for (const bool machineReadOnly : {true, false}) {
        SCOPED_TRACE(machineReadOnly);
        RegDeleteTree(HKEY_CURRENT_USER, "A");
        store.setReadOnly(Root::LocalMachine, machineReadOnly);
        const ImportResult result = ImportRegFile(file);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.errors.first().line, 4) << "the bad dword is reported with its line";
        EXPECT_EQ(result.errors.size(), machineReadOnly ? 2 : 1);
        DWORD value = 0;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, key.put()), ERROR_SUCCESS);
        EXPECT_EQ(QueryDword(key, "good", &value), ERROR_SUCCESS);
        EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "B", KEY_READ, key.put()) == ERROR_SUCCESS, !machineReadOnly);
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "G", KEY_READ, key.put()), ERROR_FILE_NOT_FOUND);
    }
}

TEST(RegFileRoundTripTest, BadHeaderWritesNothing)
{
    TempStore store;
    EXPECT_TRUE(ImportRegFile("Windows Registry Editor Version 4.00\n[HKEY_CURRENT_USER\\A]\n").refused);
    Key key;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, key.put()), ERROR_FILE_NOT_FOUND);
}

TEST(RegFileRoundTripTest, ValueLinesWrapWhereTheRegistryEditorWrapsThem)
{
    const struct { QString name; int bytes; int firstLineBytes; } cases[] = {
        {"n", 30, 23},              // "n"=hex: is 8 columns, each byte 3 more: 8 + 3 * 23 reaches 77
        {QString(), 30, 24},        // @=hex: is 6 columns
        {QString(80, u'x'), 3, 1},  // a long name wraps after the first byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        const QString first = FormatValueLine(c.name, REG_BINARY, QByteArray(c.bytes, '\x01')).section("\r\n", 0, 0);
        EXPECT_EQ(first.count("01"), c.firstLineBytes) << first.toStdString();
        EXPECT_TRUE(first.endsWith(",\\"));
    }
}

} // namespace
