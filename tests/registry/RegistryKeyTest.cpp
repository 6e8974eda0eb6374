// Keys: creation, case folding, enumeration order, access rights, deletion and name limits.

#include "TempStore.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace reg;

namespace {

QStringList Subkeys(HKEY key)
{
    QStringList names;
    QString name;
    for (DWORD i = 0; RegEnumKeyEx(key, i, &name) == ERROR_SUCCESS; ++i)
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
    EXPECT_EQ(Subkeys(Create(HKEY_CURRENT_USER, "software")), QStringList{"Orvane"});

    Key parent = Create(HKEY_CURRENT_USER, "Order");
    // Upper-cased, '_' (0x5F) sorts after 'B', so "a_" follows "abc" though in plain ASCII "a_" < "ab";
    // a prefix sorts first; é upper-cases to É (0xC9), after every ASCII character.
    for (const char* name : {"é", "a_", "ab", "Z", "abc", "1", "["})
        Create(parent, name);
    EXPECT_EQ(Subkeys(parent), (QStringList{"1", "ab", "abc", "a_", "Z", "[", "é"}));
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
    EXPECT_EQ(Subkeys(HKEY_CURRENT_USER), QStringList());
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, c.path, KEY_ALL_ACCESS, Key().put()), c.status)
            << c.path.left(20).toStdString();
    EXPECT_EQ(RegOpenKeyEx(nullptr, "a", KEY_READ, Key().put()), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "a", KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryKeyTest, MissingRootFileReadsEmptyAndIsMadeOnFirstWrite)
{
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, Key().put()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegEnumKeyEx(HKEY_CURRENT_USER, 0, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(QFileInfo::exists(store.path(Root::CurrentUser))) << "reads and failed deletes make no file";

    // The folder of the per-user file is made too, as for a first start.
    qputenv("TALVEN_HKCU", (store.dir() + "/new/folder/registry.db").toLocal8Bit());
    ResetStore();
    Key old = Create(HKEY_CURRENT_USER, "Software");
    EXPECT_TRUE(QFileInfo::exists(store.dir() + "/new/folder/registry.db"));

    // Reconfiguring a root closes its connection: older handles are refused, not misdirected.
    store.setReadOnly(Root::CurrentUser, false);
    EXPECT_EQ(RegQueryInfoKey(old, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

} // namespace
