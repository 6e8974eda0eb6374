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

Key Create(HKEY parent, const QString& path, REGSAM access = KEY_ALL_ACCESS)
{
    Key key;
    EXPECT_EQ(RegCreateKeyEx(parent, path, access, key.put()), ERROR_SUCCESS) << path.toStdString();
    return key;
}

class RegistryKeyTest : public ::testing::Test {
protected:
    TempStore store;
};

TEST_F(RegistryKeyTest, NamesKeepTheirCaseAndCompareWithoutIt)
{
    DWORD disposition = 0;
    Key first;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Orvane\\TALVEN", KEY_ALL_ACCESS, first.put(),
                             &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);

    // Lower case, a trailing separator and non-ASCII letters all find the same keys.
    Create(first, "Größe\\Ärger");
    const struct { QString path; } same[] = {
        {"software\\ORVANE\\talven"},
        {"SOFTWARE\\orvane\\TALVEN\\"},
        {"software\\orvane\\talven\\GRÖßE\\ärger"},
    };
    for (const auto& c : same) {
        SCOPED_TRACE(c.path.toStdString());
        Key key;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, c.path, KEY_READ, key.put(), &disposition), ERROR_SUCCESS);
        EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    }
    Key deep;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\ORVANE\\talven\\größe\\ÄRGER", KEY_READ, deep.put()),
              ERROR_SUCCESS);
    QString path;
    RegGetKeyPath(deep, nullptr, &path);
    EXPECT_EQ(path, "Software\\Orvane\\TALVEN\\Größe\\Ärger") << "the stored case is reported";
    EXPECT_EQ(Subkeys(Create(HKEY_CURRENT_USER, "software")), QStringList{"Orvane"});
}

TEST_F(RegistryKeyTest, SubkeysEnumerateInUpperCasedCodeUnitOrder)
{
    Key parent = Create(HKEY_CURRENT_USER, "Order");
    // Upper-cased, '_' (0x5F) sorts after 'B', so "a_" follows "abc" though in plain ASCII "a_" < "ab";
    // a prefix sorts first; é upper-cases to É (0xC9), after every ASCII character.
    const QStringList created = {"é", "a_", "ab", "Z", "abc", "1", "["};
    for (const QString& name : created)
        Create(parent, name);
    EXPECT_EQ(Subkeys(parent), (QStringList{"1", "ab", "abc", "a_", "Z", "[", "é"}));
    EXPECT_EQ(RegEnumKeyEx(parent, 7, nullptr), ERROR_NO_MORE_ITEMS);
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

TEST_F(RegistryKeyTest, AccessRightsOfTheHandleAreEnforced)
{
    Create(HKEY_CURRENT_USER, "A\\Sub");
    Key reader;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, reader.put()), ERROR_SUCCESS);
    Key queryOnly;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_QUERY_VALUE, queryOnly.put()), ERROR_SUCCESS);
    Key child;
    const struct { const char* what; LSTATUS status; } cases[] = {
        {"set on a read key", SetDword(reader, "v", 1)},
        {"delete value on a read key", RegDeleteValue(reader, "v")},
        {"create subkey under a read key", RegCreateKeyEx(reader, "New", KEY_READ, child.put())},
        {"delete subkey under a read key", RegDeleteKey(reader, "Sub")},
        {"delete tree under a read key", RegDeleteTree(reader, QString())},
        {"enumerate without the right", RegEnumKeyEx(queryOnly, 0, nullptr)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, ERROR_ACCESS_DENIED) << c.what;
    EXPECT_EQ(RegCreateKeyEx(reader, "Sub", KEY_READ, child.put()), ERROR_SUCCESS)
        << "an existing subkey opens through a read key";
}

TEST_F(RegistryKeyTest, ReadOnlyRootRefusesWritesButReads)
{
    Create(HKEY_LOCAL_MACHINE, "Policy");
    store.setReadOnly(Root::LocalMachine, true);
    Key key;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Policy", KEY_READ, key.put()), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, "v", 1), ERROR_ACCESS_DENIED);
    Key writer;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Policy", KEY_READ | KEY_WRITE, writer.put()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Other", KEY_READ, writer.put()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTree(HKEY_LOCAL_MACHINE, "Policy"), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryKeyTest, DeletionRules)
{
    Key a = Create(HKEY_CURRENT_USER, "T\\a\\b");
    SetDword(a, "v", 1);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "T\\a"), ERROR_ACCESS_DENIED) << "it has subkeys";
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "T\\missing"), ERROR_FILE_NOT_FOUND);

    // The handle of a deleted key reports that instead of writing into nowhere.
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "T\\A\\B"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(a, "v", 2), ERROR_KEY_DELETED);
    DWORD value = 0;
    EXPECT_EQ(QueryDword(a, "v", &value), ERROR_KEY_DELETED);

    // A tree delete with no subkey empties the key and keeps it.
    Key t = Create(HKEY_CURRENT_USER, "T");
    SetDword(t, "kept?", 1);
    Create(t, "x\\y\\z");
    ASSERT_EQ(RegDeleteTree(t, QString()), ERROR_SUCCESS);
    DWORD subKeys = 9, values = 9;
    ASSERT_EQ(RegQueryInfoKey(t, &subKeys, &values), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 0u);
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "t"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "T", KEY_READ, t.put()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, QString()), ERROR_ACCESS_DENIED) << "a root is never deleted";
}

TEST_F(RegistryKeyTest, BadNamesAndHandlesAreRefused)
{
    Key key;
    const struct { QString path; LSTATUS status; } cases[] = {
        {QString(255, u'k'), ERROR_SUCCESS},
        {QString(256, u'k'), ERROR_INVALID_PARAMETER},
        {"a\\\\b", ERROR_INVALID_PARAMETER},
        {"\\a", ERROR_INVALID_PARAMETER},
        {"\\", ERROR_INVALID_PARAMETER},
        {QStringLiteral("k\\").repeated(kMaxKeyDepth + 1), ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.left(20).toStdString());
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, c.path, KEY_ALL_ACCESS, key.put()), c.status);
    }
    EXPECT_EQ(RegOpenKeyEx(nullptr, "a", KEY_READ, key.put()), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "a", KEY_READ, nullptr), ERROR_INVALID_PARAMETER);

    // Reconfiguring a root closes its connection: older handles are refused, not misdirected.
    Key old = Create(HKEY_CURRENT_USER, "Old");
    store.setReadOnly(Root::CurrentUser, false);
    EXPECT_EQ(RegQueryInfoKey(old, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeyTest, DeepTreesAreCreatedAndDeletedWhole)
{
    const QString deepest = QStringLiteral("d\\").repeated(kMaxKeyDepth - 1) + u'd';
    Key leaf = Create(HKEY_CURRENT_USER, deepest);
    ASSERT_EQ(SetDword(leaf, "v", 7), ERROR_SUCCESS);
    Key tooDeep;
    EXPECT_EQ(RegCreateKeyEx(leaf, "x", KEY_ALL_ACCESS, tooDeep.put()), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "D"), ERROR_SUCCESS);
    DWORD subKeys = 1;
    ASSERT_EQ(RegQueryInfoKey(HKEY_CURRENT_USER, &subKeys, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
}

TEST_F(RegistryKeyTest, MissingRootFileReadsEmptyAndIsMadeOnFirstWrite)
{
    EXPECT_FALSE(QFileInfo::exists(store.path(Root::CurrentUser)));
    Key key;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, key.put()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegEnumKeyEx(HKEY_CURRENT_USER, 0, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(QFileInfo::exists(store.path(Root::CurrentUser))) << "reads and failed deletes make no file";

    // The folder of the per-user file is made too, as for a first start.
    qputenv("TALVEN_HKCU", (store.dir() + "/new/folder/registry.db").toLocal8Bit());
    ResetStore();
    Create(HKEY_CURRENT_USER, "Software");
    EXPECT_TRUE(QFileInfo::exists(store.dir() + "/new/folder/registry.db"));
}

} // namespace
