// Keys and values of the store: case folding and order, refusals with their statuses, deletion,
// value order and the fixed-buffer readers.

#include "StoreValues.h"
#include "TempStore.h"
#include "registry/RegValues.h"

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

TEST(RegistryKeyTest, NamesKeepTheirCaseAndCompareAndSortWithoutIt)
{
    TempStore store;
    Create(HKEY_CURRENT_USER, "Software\\Orvane\\Größe");
    // Other case, a trailing separator and non-ASCII letters find the same key, reported as stored.
    DWORD disposition = 0;
    QString path;
    RegGetKeyPath(Create(HKEY_CURRENT_USER, "SOFTWARE\\orvane\\GRÖßE\\", &disposition), nullptr, &path);
    EXPECT_EQ(std::pair(disposition, path), std::pair(DWORD(REG_OPENED_EXISTING_KEY), QString("Software\\Orvane\\Größe")));

    // Upper-cased, '_' (0x5F) sorts after 'B', so "a_" follows "abc" though in plain ASCII "a_" < "ab";
    // a prefix sorts first; é upper-cases to É (0xC9), after every ASCII character.
    Key parent = Create(HKEY_CURRENT_USER, "Order");
    for (const char* name : {"é", "a_", "ab", "Z", "abc", "1", "["})
        Create(parent, name);
    EXPECT_EQ(Names(parent), (QStringList{"1", "ab", "abc", "a_", "Z", "[", "é"}));
    // A walk through the indexes sees a key another handle made meanwhile.
    ASSERT_EQ(RegEnumKeyEx(parent, 0, &path), ERROR_SUCCESS);
    Create(HKEY_CURRENT_USER, "Order\\0");
    ASSERT_EQ(RegEnumKeyEx(parent, 1, &path), ERROR_SUCCESS);
    EXPECT_EQ(path, "1");
}

// Calls in the order given, each with the status it must give; none of the refused ones changes
// anything. A read-only root without a file gets none from a failed write.
TEST(RegistryKeyTest, RefusalsHaveTheirOwnStatus)
{
    TempStore store;
    store.setReadOnly(Root::LocalMachine, true);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_ALL_ACCESS, Key().put()), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(QFileInfo::exists(store.path(Root::LocalMachine)));
    store.setReadOnly(Root::LocalMachine, false);
    Create(HKEY_CURRENT_USER, "A\\Sub");
    Create(HKEY_LOCAL_MACHINE, "Policy");
    Key reader, any;
    store.setReadOnly(Root::LocalMachine, true);
    RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, reader.put());
    const BYTE byte = 0;
    const QString tooLong(kMaxValueNameUnits + 1, u'n');
    const struct { const char* what; LSTATUS status, expected; } cases[] = {
        {"set on a read key", SetDword(reader, "v", 1), ERROR_ACCESS_DENIED},
        {"open to write in a read-only root", RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Policy", KEY_WRITE, any.put()), ERROR_ACCESS_DENIED},
        {"create in a read-only root", RegCreateKeyEx(HKEY_LOCAL_MACHINE, "New", KEY_READ, any.put()), ERROR_ACCESS_DENIED},
        {"a key with subkeys", RegDeleteKey(HKEY_CURRENT_USER, "A"), ERROR_ACCESS_DENIED},
        {"a value deleted twice", RegDeleteValue(HKEY_CURRENT_USER, "missing"), ERROR_FILE_NOT_FOUND},
        {"a value name too long", RegSetValueEx(HKEY_CURRENT_USER, tooLong, REG_SZ, &byte, 1), ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, c.expected) << c.what;
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "a"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, QString()), ERROR_ACCESS_DENIED) << "a root is never deleted";

    const struct { QString path; LSTATUS status; } names[] = {
        {QString(255, u'k'), ERROR_SUCCESS},
        {QString(256, u'k'), ERROR_INVALID_PARAMETER},
        {QString("k\\").repeated(kMaxKeyDepth + 1), ERROR_INVALID_PARAMETER},
        // Control characters would turn a name into lines of an export.
        {"a\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies]", ERROR_INVALID_PARAMETER},
        {"del\x7f", ERROR_INVALID_PARAMETER},
        {"blank and \u00e9 \u0080", ERROR_SUCCESS},
    };
    for (const auto& c : names)
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, c.path, KEY_ALL_ACCESS, any.put()), c.status) << c.path.left(20).toStdString();
    EXPECT_EQ(Names(HKEY_CURRENT_USER).size(), 2) << "only good names were made";

    // Without a subkey a tree delete keeps the key; reconfiguring a root closes its connection, and
    // older handles are refused, not misdirected.
    Key t = Create(HKEY_CURRENT_USER, "T");
    SetDword(t, "v", 1);
    Create(t, "x\\y");
    ASSERT_EQ(RegDeleteTree(t, QString()), ERROR_SUCCESS);
    DWORD subKeys = 9, values = 9;
    ASSERT_EQ(RegQueryInfoKey(t, &subKeys, &values), ERROR_SUCCESS);
    EXPECT_EQ(std::pair(subKeys, values), std::pair(0u, 0u));
    store.setReadOnly(Root::CurrentUser, false);
    EXPECT_EQ(RegQueryInfoKey(t, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST(RegistryValueTest, ValuesKeepTheirOrderAndFirstNameAndReadOnlyIntoBuffersThatFit)
{
    TempStore store;
    PutValue(HKEY_CURRENT_USER, "V", "sz", REG_SZ, QByteArray("a\0\0\0b\0", 6));
    PutValue(HKEY_CURRENT_USER, "V", "empty", REG_SZ, {});
    PutValue(HKEY_CURRENT_USER, "V", QString(), REG_SZ, {});
    PutValue(HKEY_CURRENT_USER, "V", "d3", REG_BINARY, QByteArray("\1\2\3", 3));
    Key key = Create(HKEY_CURRENT_USER, "V");
    QByteArray buffer(16, '\xEE');
    DWORD size = 5;
    EXPECT_EQ(RegQueryValueEx(key, "sz", nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size), ERROR_MORE_DATA);
    EXPECT_EQ(std::pair(size, buffer), std::pair(6u, QByteArray(16, '\xEE')));

    // The fixed-buffer readers fail on a longer value, ignore the type and keep what they did not read.
    const struct { QString name; LSTATUS status; DWORD value; } dwords[] = {
        {"sz", ERROR_MORE_DATA, 0xCCCCCCCC}, {"d3", ERROR_SUCCESS, 0xCC030201}, {"none", ERROR_FILE_NOT_FOUND, 0xCCCCCCCC}};
    for (const auto& c : dwords) {
        DWORD value = 0xCCCCCCCC;
        EXPECT_EQ(QueryDword(key, c.name, &value), c.status) << qPrintable(c.name);
        EXPECT_EQ(value, c.value) << qPrintable(c.name);
    }
    SetString(key, "259", QString(259, u'x'));
    SetString(key, "260", QString(260, u'x'));
    const struct { QString name; LSTATUS status; QString text; } strings[] = {
        {"259", ERROR_SUCCESS, QString(259, u'x')}, {"260", ERROR_MORE_DATA, "kept"}, {"sz", ERROR_SUCCESS, "a"}};
    for (const auto& c : strings) {
        QString text = "kept";
        EXPECT_EQ(QueryString(key, c.name, kTextBufferUnits, &text), c.status) << qPrintable(c.name);
        EXPECT_EQ(text, c.text) << qPrintable(c.name);
    }

    // A value set again under another case keeps its place and first name; one made again goes last.
    SetDword(key, "SZ", 1);
    ASSERT_EQ(RegDeleteValue(key, "EMPTY"), ERROR_SUCCESS);
    SetDword(key, "empty", 1);
    ASSERT_EQ(RegDeleteValues(key, {"d3", "none", "259", "260"}), ERROR_SUCCESS) << "missing names are skipped";
    EXPECT_EQ(Names(key, true), (QStringList{"sz", "", "empty"}));
}

} // namespace
