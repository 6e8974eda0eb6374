// Keys and values of the store: creation, case folding, enumeration order, access rights, deletion,
// name and size limits, exact bytes of every value type and the fixed-buffer readers.

#include "TempStore.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace reg;

namespace {

// The names of the key's subkeys, or of its values, in the order enumeration gives them.
QStringList Names(HKEY key, bool values = false)
{
    QStringList names;
    for (QString name; (values ? RegEnumValue(key, DWORD(names.size()), &name, nullptr, nullptr)
                               : RegEnumKeyEx(key, DWORD(names.size()), &name)) == ERROR_SUCCESS;)
        names.append(name);
    return names;
}

Key Create(HKEY parent, const QString& path, DWORD* disposition = nullptr)
{
    Key key;
    EXPECT_EQ(RegCreateKeyEx(parent, path, KEY_ALL_ACCESS, key.put(), disposition), ERROR_SUCCESS) << qPrintable(path);
    return key;
}

class RegistryKeyTest : public ::testing::Test {
protected:
    TempStore store;
};

TEST_F(RegistryKeyTest, NamesKeepTheirCaseAndCompareAndSortWithoutIt)
{
    DWORD disposition = 0;
    Create(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN\\Größe\\Ärger", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);

    // Other case, a trailing separator and non-ASCII letters find the same keys, reported as stored.
    const struct { const char* path; const char* stored; } same[] = {
        {"software\\ORVANE\\talven\\", "Software\\Orvane\\TALVEN"},
        {"SOFTWARE\\orvane\\TALVEN\\GRÖßE\\ärger", "Software\\Orvane\\TALVEN\\Größe\\Ärger"},
    };
    for (const auto& c : same) {
        QString path;
        RegGetKeyPath(Create(HKEY_CURRENT_USER, c.path, &disposition), nullptr, &path);
        EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY) << c.path;
        EXPECT_EQ(path, c.stored);
    }
    EXPECT_EQ(Names(Create(HKEY_CURRENT_USER, "software")), QStringList{"Orvane"});

    Key parent = Create(HKEY_CURRENT_USER, "Order");
    // Upper-cased, '_' (0x5F) sorts after 'B', so "a_" follows "abc" though in plain ASCII "a_" < "ab";
    // a prefix sorts first; é upper-cases to É (0xC9), after every ASCII character.
    for (const char* name : {"é", "a_", "ab", "Z", "abc", "1", "["})
        Create(parent, name);
    EXPECT_EQ(Names(parent), (QStringList{"1", "ab", "abc", "a_", "Z", "[", "é"}));
}

TEST_F(RegistryKeyTest, EnumerationSeesChangesMadeThroughOtherHandles)
{
    Key parent = Create(HKEY_CURRENT_USER, "E");
    Create(parent, "b");
    QString name;
    ASSERT_EQ(RegEnumKeyEx(parent, 0, &name), ERROR_SUCCESS);
    Create(HKEY_CURRENT_USER, "E\\a");
    ASSERT_EQ(RegEnumKeyEx(parent, 1, &name), ERROR_SUCCESS);
    EXPECT_EQ(name, "b") << "the snapshot is refreshed after another handle's change";

    // Inside a transaction, and after its rollback, the walk sees what this connection sees.
    for (bool commit : {false, true}) {
        Transaction tx(Root::CurrentUser);
        ASSERT_EQ(RegEnumKeyEx(parent, 0, &name), ERROR_SUCCESS);
        Create(HKEY_CURRENT_USER, "E\\0");
        ASSERT_EQ(RegEnumKeyEx(parent, 1, &name), ERROR_SUCCESS);
        EXPECT_EQ(name, "a");
        commit ? void(tx.commit()) : tx.rollback();
        ASSERT_EQ(RegEnumKeyEx(parent, 2, &name), commit ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS);
    }
}

TEST_F(RegistryKeyTest, WritesNeedTheRightAndAWritableRoot)
{
    Create(HKEY_CURRENT_USER, "A\\Sub");
    Create(HKEY_LOCAL_MACHINE, "Policy");
    store.setReadOnly(Root::LocalMachine, true);
    Key reader, queryOnly, child;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, reader.put()), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_QUERY_VALUE, queryOnly.put()), ERROR_SUCCESS);
    const struct { const char* what; LSTATUS status; } cases[] = {
        {"set on a read key", SetDword(reader, "v", 1)},
        {"delete value on a read key", RegDeleteValue(reader, "v")},
        {"create subkey under a read key", RegCreateKeyEx(reader, "New", KEY_READ, child.put())},
        {"delete subkey under a read key", RegDeleteKey(reader, "Sub")},
        {"delete tree under a read key", RegDeleteTree(reader, QString())},
        {"enumerate without the right", RegEnumKeyEx(queryOnly, 0, nullptr)},
        {"open to write in a read-only root", RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Policy", KEY_WRITE, child.put())},
        {"create in a read-only root", RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Other", KEY_READ, child.put())},
        {"delete tree in a read-only root", RegDeleteTree(HKEY_LOCAL_MACHINE, "Policy")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, ERROR_ACCESS_DENIED) << c.what;
    EXPECT_EQ(RegCreateKeyEx(reader, "Sub", KEY_READ, child.put()), ERROR_SUCCESS) << "an existing one opens";
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Policy", KEY_READ, child.put()), ERROR_SUCCESS) << "it still reads";
}

TEST_F(RegistryKeyTest, DeletionRules)
{
    Key b = Create(HKEY_CURRENT_USER, "T\\a\\b");
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "T\\a"), ERROR_ACCESS_DENIED) << "it has subkeys";
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "T\\missing"), ERROR_FILE_NOT_FOUND);

    // The handle of a deleted key reports that instead of writing into nowhere.
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "T\\A\\B"), ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(SetDword(b, "v", 2), ERROR_KEY_DELETED);
    EXPECT_EQ(QueryDword(b, "v", &value), ERROR_KEY_DELETED);
    QStringList names;
    EXPECT_EQ(RegQueryValueNames(b, &names), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryInfoKey(b, nullptr, nullptr), ERROR_KEY_DELETED);

    // A tree delete with no subkey empties the key and keeps it; one with a subkey goes whole, however deep.
    Key t = Create(HKEY_CURRENT_USER, "T");
    SetDword(t, "v", 1);
    Create(t, "x\\y\\z");
    ASSERT_EQ(RegDeleteTree(t, QString()), ERROR_SUCCESS);
    DWORD subKeys = 9, values = 9;
    ASSERT_EQ(RegQueryInfoKey(t, &subKeys, &values), ERROR_SUCCESS);
    EXPECT_EQ(std::pair(subKeys, values), std::pair(0u, 0u));
    Key leaf = Create(t, QString("d\\").repeated(kMaxKeyDepth - 2) + "d");
    EXPECT_EQ(RegCreateKeyEx(leaf, "x", KEY_ALL_ACCESS, Key().put()), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "t"), ERROR_SUCCESS);
    EXPECT_EQ(Names(HKEY_CURRENT_USER), QStringList());
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, QString()), ERROR_ACCESS_DENIED) << "a root is never deleted";
}

TEST_F(RegistryKeyTest, BadNamesAndHandlesAreRefused)
{
    const struct { QString path; LSTATUS status; } cases[] = {
        {QString(255, u'k'), ERROR_SUCCESS},
        {QString(256, u'k'), ERROR_INVALID_PARAMETER},
        {"a\\\\b", ERROR_INVALID_PARAMETER},
        {"\\a", ERROR_INVALID_PARAMETER},
        {"\\", ERROR_INVALID_PARAMETER},
        {QString("k\\").repeated(kMaxKeyDepth + 1), ERROR_INVALID_PARAMETER},
        // Control characters would turn a name into lines of an export.
        {"a\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies]", ERROR_INVALID_PARAMETER},
        {"ok\\sub\nname", ERROR_INVALID_PARAMETER},
        {QString("nul") + QChar(u'\0'), ERROR_INVALID_PARAMETER},
        {"tab\t", ERROR_INVALID_PARAMETER},
        {"del\x7f", ERROR_INVALID_PARAMETER},
        {"blank and \u00e9 \u0080", ERROR_SUCCESS},
    };
    Key ok = Create(HKEY_CURRENT_USER, "ok");
    for (const auto& c : cases) {
        for (HKEY parent : {HKEY_CURRENT_USER, ok.get()})
            EXPECT_EQ(RegCreateKeyEx(parent, c.path, KEY_ALL_ACCESS, Key().put()), c.status)
                << c.path.left(20).toStdString();
    }
    EXPECT_EQ(Names(HKEY_CURRENT_USER).size(), 3) << "only good names were made: " << Names(HKEY_CURRENT_USER).join(u'|').toStdString();
    EXPECT_EQ(RegOpenKeyEx(nullptr, "a", KEY_READ, Key().put()), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "a", KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryKeyTest, MissingRootFileReadsEmptyAndIsMadeOnFirstWrite)
{
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, Key().put()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegEnumKeyEx(HKEY_CURRENT_USER, 0, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software"), ERROR_FILE_NOT_FOUND);
    store.setReadOnly(Root::LocalMachine, true);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_ALL_ACCESS, Key().put()), ERROR_ACCESS_DENIED);
    for (const Root root : {Root::CurrentUser, Root::LocalMachine})
        EXPECT_FALSE(QFileInfo::exists(store.path(root))) << "reads and failed writes make no file";

    // The folder of the per-user file is made too, as for a first start.
    qputenv("TALVEN_HKCU", (store.dir() + "/new/folder/registry.db").toLocal8Bit());
    ResetStore();
    Key old = Create(HKEY_CURRENT_USER, "Software");
    EXPECT_TRUE(QFileInfo::exists(store.dir() + "/new/folder/registry.db"));

    // Reconfiguring a root closes its connection: older handles are refused, not misdirected.
    store.setReadOnly(Root::CurrentUser, false);
    EXPECT_EQ(RegQueryInfoKey(old, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

class RegistryValueTest : public ::testing::Test {
protected:
    void SetUp() override { RegCreateKeyEx(HKEY_CURRENT_USER, "V", KEY_ALL_ACCESS, key.put()); }
    static BYTE* bytes(QByteArray& data) { return reinterpret_cast<BYTE*>(data.data()); }
    static const BYTE* bytes(const QByteArray& data) { return reinterpret_cast<const BYTE*>(data.constData()); }
    TempStore store;
    Key key;
};

TEST_F(RegistryValueTest, ValuesKeepTheirExactBytesAndReadOnlyIntoBuffersThatFit)
{
    const struct { QString name; DWORD type; QByteArray data; } values[] = {
        {"sz", REG_SZ, QByteArray("a\0\0\0b\0", 6)},
        {"unterminated", REG_SZ, QByteArray("h\0i\0", 4)},
        {"empty", REG_SZ, QByteArray()},
        {"d3", REG_DWORD, QByteArray("\1\2\3", 3)},
        {"unusual type", 0x12345, QByteArray("\xff", 1)},
        {QString(), REG_EXPAND_SZ, QByteArray("%\0\0\0", 4)},
        {"big", REG_BINARY, QByteArray(1 << 20, '\x5a')},
    };
    for (const auto& c : values) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_EQ(RegSetValueEx(key, c.name, c.type, bytes(c.data), DWORD(c.data.size())), ERROR_SUCCESS);
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueEx(key, c.name, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(std::pair(type, size), std::pair(c.type, DWORD(c.data.size())));
        QByteArray read(int(size) + 1, '?');
        ASSERT_EQ(RegQueryValueEx(key, c.name, nullptr, bytes(read), &size), ERROR_SUCCESS);
        EXPECT_EQ(read.left(int(size)), c.data);
    }

    QByteArray buffer(16, '\xEE');
    for (DWORD given : {0u, 5u}) {
        DWORD size = given;
        EXPECT_EQ(RegQueryValueEx(key, "sz", nullptr, bytes(buffer), &size), ERROR_MORE_DATA);
        EXPECT_EQ(size, 6u);
    }
    EXPECT_EQ(buffer, QByteArray(16, '\xEE'));
    EXPECT_EQ(RegQueryValueEx(key, "sz", nullptr, bytes(buffer), nullptr), ERROR_INVALID_PARAMETER);

    ASSERT_EQ(SetDword(key, "UNUSUAL TYPE", 7), ERROR_SUCCESS) << "overwriting replaces the bytes";

    // The fixed-buffer readers fail on a longer value, ignore the type and keep what they did not read.
    const struct { QString name; LSTATUS status; DWORD value; } dwords[] = {
        {"sz", ERROR_MORE_DATA, 0xCCCCCCCC},
        {QString(), ERROR_SUCCESS, 0x25},
        {"d3", ERROR_SUCCESS, 0xCC030201},
        {"unusual type", ERROR_SUCCESS, 7},
        {"none", ERROR_FILE_NOT_FOUND, 0xCCCCCCCC},
    };
    for (const auto& c : dwords) {
        DWORD value = 0xCCCCCCCC;
        EXPECT_EQ(QueryDword(key, c.name, &value), c.status) << qPrintable(c.name);
        EXPECT_EQ(value, c.value) << qPrintable(c.name);
    }
    SetString(key, "259", QString(259, u'x'));
    SetString(key, "260", QString(260, u'x'));
    const struct { QString name; LSTATUS status; QString text; } strings[] = {
        {"259", ERROR_SUCCESS, QString(259, u'x')},
        {"260", ERROR_MORE_DATA, "kept"},
        {"sz", ERROR_SUCCESS, "a"},
        {"unterminated", ERROR_SUCCESS, "hi"},
    };
    for (const auto& c : strings) {
        QString text = "kept";
        EXPECT_EQ(QueryString(key, c.name, kTextBufferUnits, &text), c.status) << qPrintable(c.name);
        EXPECT_EQ(text, c.text) << qPrintable(c.name);
    }
}

TEST_F(RegistryValueTest, ValuesKeepCreationOrderAndFirstNameAndGoInBulk)
{
    for (const char* name : {"zeta", "0001", "Alpha", "c0001", "mid", "9999"})
        SetDword(key, name, 1);
    SetDword(key, "ALPHA", 2);
    EXPECT_EQ(Names(key, true), (QStringList{"zeta", "0001", "Alpha", "c0001", "mid", "9999"}));

    ASSERT_EQ(RegDeleteValue(key, "ZETA"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "zeta"), ERROR_FILE_NOT_FOUND);
    SetDword(key, "zeta", 3);
    QStringList all;
    for (int n = 0; n < 10000; ++n)
        all << QString::asprintf("%.4i", n) << QString::asprintf("C%.4i", n);
    ASSERT_EQ(RegDeleteValues(key, all << "MID"), ERROR_SUCCESS) << "names that do not exist are skipped";
    EXPECT_EQ(Names(key, true), (QStringList{"Alpha", "zeta"})) << "a value made again goes last";
    QStringList names;
    ASSERT_EQ(RegQueryValueNames(key, &names), ERROR_SUCCESS);
    EXPECT_EQ(names, Names(key, true)) << "all names at once, in the same order";
}

TEST_F(RegistryValueTest, OutOfRangeArgumentsAreRefused)
{
    const BYTE byte = 0;
    const QString tooLong(kMaxValueNameUnits + 1, u'n');
    const struct { const char* what; LSTATUS status; } cases[] = {
        {"name of 16,384 units", RegSetValueEx(key, tooLong, REG_SZ, &byte, 1)},
        {"size of -1", RegSetValueEx(key, "n", REG_BINARY, &byte, DWORD(-1))},
        {"size over the limit", RegSetValueEx(key, "n", REG_BINARY, &byte, kMaxValueBytes + 1)},
        {"bytes missing", RegSetValueEx(key, "n", REG_BINARY, nullptr, 4)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, ERROR_INVALID_PARAMETER) << c.what;
    EXPECT_EQ(RegSetValueEx(key, QString(kMaxValueNameUnits, u'n'), REG_SZ, &byte, 1), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(key, tooLong, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Names(key, true).size(), 1);
}

} // namespace
