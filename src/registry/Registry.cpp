#include "Registry.h"

#include "RegKeyName.h"
#include "RootStore.h"
#include "Utf16Le.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

namespace reg {

struct KeyObject {
    struct Value {
        QString name;
        DWORD type;
        QByteArray data;
    };
    using Stamp = std::pair<long long, unsigned long long>;

    Root root;
    long long id;
    REGSAM access;
    unsigned long long generation; // 0: a predefined root, valid for ever
    QString path;
    int depth;

    // Enumeration snapshots, taken at index 0 and kept while nothing changes. A walk through the
    // indexes in order rechecks only this process's changes: like the registry's, an enumeration is
    // not isolated from other writers, who are seen at the next start.
    struct Snapshot {
        Stamp stamp{-2, 0};
        DWORD next = 0;
    };
    QStringList subkeys;
    Snapshot subkeySnapshot;
    QList<Value> values;
    Snapshot valueSnapshot;
};

namespace {

KeyObject g_currentUser{Root::CurrentUser, RootStore::kRootKeyId, KEY_ALL_ACCESS, 0, {}, 0, {}, {}, {}, {}};
KeyObject g_localMachine{Root::LocalMachine, RootStore::kRootKeyId, KEY_ALL_ACCESS, 0, {}, 0, {}, {}, {}, {}};

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

// For one call into the store: holds the key's root locked and checks that the handle still belongs
// to its connection.
class LockedKey {
public:
    explicit LockedKey(HKEY key)
        : m_key(key), m_store(key ? &RootStore::of(key->root) : nullptr)
    {
        if (m_store)
            m_lock = std::unique_lock(m_store->mutex());
    }
    bool valid() const { return m_key && (m_key->generation == 0 || m_key->generation == m_store->generation()); }
    KeyObject& key() const { return *m_key; }
    RootStore& store() const { return *m_store; }

private:
    HKEY m_key;
    RootStore* m_store;
    std::unique_lock<std::recursive_mutex> m_lock;
};

void BindStoredName(sqlite3_stmt* s, int index, QStringView name)
{
    const QByteArray bytes = Utf16LeBytes(name);
    sqlite3_bind_blob(s, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

void BindFold(sqlite3_stmt* s, int index, QStringView name, FoldedName* buffer)
{
    FoldName(name, buffer);
    sqlite3_bind_blob(s, index, buffer->constData(), int(buffer->size()), SQLITE_STATIC);
}

QString ColumnName(sqlite3_stmt* s, int column)
{
    return FromUtf16Le(sqlite3_column_blob(s, column), sqlite3_column_bytes(s, column));
}

// The status of the connection's last failure, such as a statement that would not prepare.
LSTATUS LastStatus(RootStore& store)
{
    return RootStore::Status(sqlite3_errcode(store.db()));
}

// ERROR_SUCCESS when the key exists, ERROR_KEY_DELETED when it does not, else why the store could
// not tell (a damaged file is not a deleted key).
LSTATUS KeyStatus(RootStore& store, long long id)
{
    StmtUse s(store.statement(Stmt::KeyExists));
    if (!s.get())
        return LastStatus(store);
    sqlite3_bind_int64(s, 1, id);
    const int rc = sqlite3_step(s);
    return rc == SQLITE_ROW ? ERROR_SUCCESS : rc == SQLITE_DONE ? ERROR_KEY_DELETED : RootStore::Status(rc);
}

// Checks the handle, the right the call needs and, for writes, the root's; readies the connection.
LSTATUS Enter(const LockedKey& locked, REGSAM right, RootStore::Need need)
{
    if (!locked.valid())
        return ERROR_INVALID_HANDLE;
    if (!(locked.key().access & right))
        return ERROR_ACCESS_DENIED;
    if (need != RootStore::Need::Read) {
        if (const LSTATUS status = locked.store().writeStatus(); status != ERROR_SUCCESS)
            return status;
    }
    return locked.store().ready(need);
}

// ERROR_FILE_NOT_FOUND when the key itself still exists, ERROR_KEY_DELETED when it was deleted.
LSTATUS Missing(RootStore& store, const KeyObject& key)
{
    const LSTATUS status = KeyStatus(store, key.id);
    return status == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : status;
}

// The status of an empty answer about a key: empty when the key exists, else why not.
LSTATUS EmptyAnswer(RootStore& store, long long id, LSTATUS whenExists)
{
    const LSTATUS status = KeyStatus(store, id);
    return status == ERROR_SUCCESS ? whenExists : status;
}

// Follows path components from a key; with create set, makes the missing ones (inside a write scope).
LSTATUS Walk(RootStore& store, long long from, const QStringList& components, bool create, long long* id,
             QString* storedPath, bool* created)
{
    FoldedName fold;
    long long current = from;
    for (const QString& component : components) {
        long long next = -1;
        QString stored;
        {
            StmtUse s(store.statement(Stmt::FindChild));
            if (!s.get())
                return LastStatus(store);
            sqlite3_bind_int64(s, 1, current);
            BindFold(s, 2, component, &fold);
            const int rc = sqlite3_step(s);
            if (rc == SQLITE_ROW) {
                next = sqlite3_column_int64(s, 0);
                stored = ColumnName(s, 1);
            } else if (rc != SQLITE_DONE) {
                return RootStore::Status(rc);
            }
        }
        if (next < 0) {
            if (!create)
                return current == from ? EmptyAnswer(store, from, ERROR_FILE_NOT_FOUND) : ERROR_FILE_NOT_FOUND;
            StmtUse s(store.statement(Stmt::InsertKey));
            if (s.get()) {
                sqlite3_bind_int64(s, 1, current);
                BindStoredName(s, 2, component);
                BindFold(s, 3, component, &fold);
            }
            if (const LSTATUS status = store.stepWrite(s); status != ERROR_SUCCESS)
                return status;
            next = sqlite3_last_insert_rowid(store.db());
            stored = component;
            *created = true;
        }
        if (!storedPath->isEmpty())
            storedPath->append(u'\\');
        storedPath->append(stored);
        current = next;
    }
    *id = current;
    return ERROR_SUCCESS;
}

HKEY NewHandle(const KeyObject& parent, unsigned long long generation, long long id, REGSAM access,
               QString path, int depth)
{
    return new KeyObject{parent.root, id, access, generation, std::move(path), depth, {}, {}, {}, {}};
}

LSTATUS OpenOrCreate(HKEY parent, const QString& subKey, REGSAM access, HKEY* result, DWORD* disposition,
                     bool create)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    LockedKey locked(parent);
    if (!locked.valid())
        return ERROR_INVALID_HANDLE;
    QStringList components;
    if (const LSTATUS status = SplitKeyPath(subKey, &components); status != ERROR_SUCCESS)
        return status;
    KeyObject& from = locked.key();
    RootStore& store = locked.store();
    if (access & kWriteRights) {
        if (const LSTATUS status = store.writeStatus(); status != ERROR_SUCCESS)
            return status;
    }

    long long id = -1;
    QString path = from.path;
    bool created = false;
    LSTATUS status = store.ready(RootStore::Need::Read);
    if (status != ERROR_SUCCESS)
        return status;
    if (store.db())
        status = Walk(store, from.id, components, false, &id, &path, &created);
    else
        status = components.isEmpty() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    if (components.isEmpty())
        id = from.id;

    if (status == ERROR_FILE_NOT_FOUND && create) {
        if (!(from.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        if (const LSTATUS writable = store.writeStatus(); writable != ERROR_SUCCESS)
            return writable;
        // A name with a line break or another control character would become lines of an export.
        if (from.depth + components.size() > kMaxKeyDepth ||
            std::any_of(components.cbegin(), components.cend(), HasControlCharacter))
            return ERROR_INVALID_PARAMETER;
        WriteScope scope(store);
        if ((status = scope.status()) != ERROR_SUCCESS)
            return status;
        path = from.path;
        status = Walk(store, from.id, components, true, &id, &path, &created);
        if (status != ERROR_SUCCESS)
            return status;
        if ((status = scope.commit()) != ERROR_SUCCESS)
            return status;
    }
    if (status != ERROR_SUCCESS)
        return status;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(from, store.generation(), id, access, path, from.depth + int(components.size()));
    return ERROR_SUCCESS;
}

// Runs one change statement: outside a transaction it is one durable transaction of its own.
LSTATUS Change(RootStore& store, sqlite3_stmt* s)
{
    return store.stepWrite(s);
}

// Resolves the target of a key deletion, checking the rights a deletion needs.
LSTATUS DeletionTarget(LockedKey& locked, const QString& subKey, long long* id)
{
    QStringList components;
    if (const LSTATUS status = SplitKeyPath(subKey, &components); status != ERROR_SUCCESS)
        return status;
    if (const LSTATUS status = Enter(locked, kWriteRights, RootStore::Need::Write); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    if (!store.db())
        return ERROR_FILE_NOT_FOUND;
    QString path;
    bool created = false;
    if (components.isEmpty()) {
        *id = locked.key().id;
        return KeyStatus(store, *id);
    }
    return Walk(store, locked.key().id, components, false, id, &path, &created);
}

// Whether a snapshot still answers index; updates it to expect the following index.
bool SnapshotStillAnswers(RootStore& store, KeyObject::Snapshot* snapshot, DWORD index)
{
    if (index == 0 || snapshot->stamp.first < 0)
        return false;
    bool current;
    if (index == snapshot->next)
        current = store.localChanges() == snapshot->stamp.second;
    else
        current = store.changeStamp() == snapshot->stamp;
    snapshot->next = index + 1;
    return current;
}

// Stamps a snapshot just read at index with the store's changes.
void MarkSnapshotTaken(RootStore& store, KeyObject::Snapshot* snapshot, DWORD index)
{
    snapshot->stamp = store.changeStamp();
    snapshot->next = index + 1;
}

// Appends one item per row of a query on the key's id.
template <typename Item, typename ReadRow>
LSTATUS ReadRows(RootStore& store, Stmt query, long long keyId, ReadRow readRow, QList<Item>* rows)
{
    StmtUse s(store.statement(query));
    if (!s.get())
        return LastStatus(store);
    sqlite3_bind_int64(s, 1, keyId);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        rows->append(readRow(s.get()));
    return rc == SQLITE_DONE ? ERROR_SUCCESS : RootStore::Status(rc);
}

// Answers an enumeration by index from the key's snapshot, taking a new one when it is stale.
template <typename Item, typename ReadRow>
LSTATUS Enumerate(HKEY key, REGSAM right, DWORD index, Stmt query, QList<Item> KeyObject::*items,
                  KeyObject::Snapshot KeyObject::*snapshot, ReadRow readRow, const Item** found)
{
    LockedKey locked(key);
    if (const LSTATUS status = Enter(locked, right, RootStore::Need::Read); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    if (!store.db())
        return ERROR_NO_MORE_ITEMS;
    KeyObject& k = locked.key();
    QList<Item>& list = k.*items;
    if (!SnapshotStillAnswers(store, &(k.*snapshot), index)) {
        list.clear();
        k.*snapshot = {};
        if (const LSTATUS status = ReadRows(store, query, k.id, readRow, &list); status != ERROR_SUCCESS)
            return status;
        MarkSnapshotTaken(store, &(k.*snapshot), index);
    }
    if (index >= DWORD(list.size()))
        return list.isEmpty() ? EmptyAnswer(store, k.id, ERROR_NO_MORE_ITEMS) : ERROR_NO_MORE_ITEMS;
    *found = &list.at(index);
    return ERROR_SUCCESS;
}

} // namespace

const HKEY HKEY_CURRENT_USER = &g_currentUser;
const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

HKEY RootKey(Root root)
{
    return root == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

QString RegErrorText(LSTATUS status)
{
    switch (status) {
    case ERROR_SUCCESS: return QStringLiteral("The operation completed successfully.");
    case ERROR_FILE_NOT_FOUND: return QStringLiteral("The system was unable to find the specified registry key or value.");
    case ERROR_ACCESS_DENIED: return QStringLiteral("Access is denied.");
    case ERROR_INVALID_HANDLE: return QStringLiteral("The handle is invalid.");
    case ERROR_NOT_ENOUGH_MEMORY: return QStringLiteral("Not enough memory resources are available to process this command.");
    case ERROR_INVALID_PARAMETER: return QStringLiteral("The parameter is incorrect.");
    case ERROR_CANNOT_MAKE: return QStringLiteral("The directory or file cannot be created.");
    case ERROR_DISK_FULL: return QStringLiteral("There is not enough space on the disk.");
    case ERROR_ENVVAR_NOT_FOUND: return QStringLiteral("The system could not find the environment option that was entered.");
    case ERROR_FILENAME_EXCED_RANGE: return QStringLiteral("The filename or extension is too long.");
    case ERROR_BAD_FILE_TYPE: return QStringLiteral("The file is not a regular file.");
    case ERROR_BUSY: return QStringLiteral("The requested resource is in use.");
    case ERROR_MORE_DATA: return QStringLiteral("More data is available.");
    case ERROR_NO_MORE_ITEMS: return QStringLiteral("No more data is available.");
    case ERROR_BADDB: return QStringLiteral("The configuration registry database is corrupt.");
    case ERROR_CANTOPEN: return QStringLiteral("The configuration registry key could not be opened.");
    case ERROR_CANTREAD: return QStringLiteral("The configuration registry key could not be read.");
    case ERROR_CANTWRITE: return QStringLiteral("The configuration registry key could not be written.");
    case ERROR_REGISTRY_CORRUPT: return QStringLiteral("The registry is corrupted.");
    case ERROR_REGISTRY_IO_FAILED: return QStringLiteral("An I/O operation initiated by the registry failed unrecoverably.");
    case ERROR_KEY_DELETED: return QStringLiteral("Illegal operation attempted on a registry key that has been marked for deletion.");
    default: return QStringLiteral("Error %1.").arg(status);
    }
}

LSTATUS RegOpenKeyEx(HKEY parent, const QString& subKey, REGSAM access, HKEY* result)
{
    return OpenOrCreate(parent, subKey, access, result, nullptr, false);
}

LSTATUS RegCreateKeyEx(HKEY parent, const QString& subKey, REGSAM access, HKEY* result, DWORD* disposition)
{
    return OpenOrCreate(parent, subKey, access, result, disposition, true);
}

LSTATUS RegCloseKey(HKEY key)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (key != HKEY_CURRENT_USER && key != HKEY_LOCAL_MACHINE)
        delete key;
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueEx(HKEY key, const QString& name, DWORD* type, BYTE* data, DWORD* cbData)
{
    if (data && !cbData)
        return ERROR_INVALID_PARAMETER;
    LockedKey locked(key);
    if (const LSTATUS status = Enter(locked, KEY_QUERY_VALUE, RootStore::Need::Read); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    if (!store.db() || name.size() > kMaxValueNameUnits)
        return ERROR_FILE_NOT_FOUND;
    FoldedName fold;
    StmtUse s(store.statement(Stmt::GetValue));
    if (!s.get())
        return LastStatus(store);
    sqlite3_bind_int64(s, 1, locked.key().id);
    BindFold(s, 2, name, &fold);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
        return Missing(store, locked.key());
    if (rc != SQLITE_ROW)
        return RootStore::Status(rc);
    const void* bytes = sqlite3_column_blob(s, 1);
    const DWORD size = DWORD(sqlite3_column_bytes(s, 1));
    if (type)
        *type = DWORD(sqlite3_column_int64(s, 0));
    if (data) {
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        if (size)
            std::memcpy(data, bytes, size);
    }
    if (cbData)
        *cbData = size;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueEx(HKEY key, const QString& name, DWORD type, const BYTE* data, DWORD cbData)
{
    if (name.size() > kMaxValueNameUnits || cbData > kMaxValueBytes || (!data && cbData))
        return ERROR_INVALID_PARAMETER;
    LockedKey locked(key);
    if (const LSTATUS status = Enter(locked, KEY_SET_VALUE, RootStore::Need::Create); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    FoldedName fold;
    StmtUse s(store.statement(Stmt::SetValue));
    if (s.get()) {
        sqlite3_bind_int64(s, 1, locked.key().id);
        BindStoredName(s, 2, name);
        BindFold(s, 3, name, &fold);
        sqlite3_bind_int64(s, 4, type);
        if (cbData)
            sqlite3_bind_blob(s, 5, data, int(cbData), SQLITE_STATIC);
        else
            sqlite3_bind_zeroblob(s, 5, 0);
    }
    return Change(store, s);
}

LSTATUS RegDeleteValue(HKEY key, const QString& name)
{
    LockedKey locked(key);
    if (const LSTATUS status = Enter(locked, KEY_SET_VALUE, RootStore::Need::Write); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    if (!store.db() || name.size() > kMaxValueNameUnits)
        return ERROR_FILE_NOT_FOUND;
    FoldedName fold;
    StmtUse s(store.statement(Stmt::DeleteValue));
    if (s.get()) {
        sqlite3_bind_int64(s, 1, locked.key().id);
        BindFold(s, 2, name, &fold);
    }
    const LSTATUS status = Change(store, s);
    if (status == ERROR_SUCCESS && sqlite3_changes(store.db()) == 0)
        return Missing(store, locked.key());
    return status;
}

LSTATUS RegDeleteValues(HKEY key, const QStringList& names)
{
    LockedKey locked(key);
    if (const LSTATUS status = Enter(locked, KEY_SET_VALUE, RootStore::Need::Write); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    if (!store.db())
        return ERROR_SUCCESS;
    WriteScope scope(store);
    if (scope.status() != ERROR_SUCCESS)
        return scope.status();
    sqlite3_stmt* s = store.statement(Stmt::DeleteValue);
    if (!s)
        return LastStatus(store);
    FoldedName fold;
    for (const QString& name : names) {
        if (name.size() > kMaxValueNameUnits)
            continue;
        StmtUse use(s);
        sqlite3_bind_int64(s, 1, locked.key().id);
        BindFold(s, 2, name, &fold);
        if (const LSTATUS status = store.stepWrite(s); status != ERROR_SUCCESS)
            return status;
    }
    return scope.commit();
}

LSTATUS RegDeleteKey(HKEY parent, const QString& subKey)
{
    LockedKey locked(parent);
    long long id = -1;
    if (const LSTATUS status = DeletionTarget(locked, subKey, &id); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    if (id == RootStore::kRootKeyId)
        return ERROR_ACCESS_DENIED;
    {
        StmtUse s(store.statement(Stmt::ChildCount));
        if (!s.get())
            return LastStatus(store);
        sqlite3_bind_int64(s, 1, id);
        if (sqlite3_step(s) != SQLITE_ROW || sqlite3_column_int64(s, 0) > 0)
            return ERROR_ACCESS_DENIED;
    }
    StmtUse s(store.statement(Stmt::DeleteKey));
    if (s.get())
        sqlite3_bind_int64(s, 1, id);
    return Change(store, s);
}

LSTATUS RegDeleteTree(HKEY parent, const QString& subKey)
{
    LockedKey locked(parent);
    long long id = -1;
    if (const LSTATUS status = DeletionTarget(locked, subKey, &id); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    WriteScope scope(store);
    if (scope.status() != ERROR_SUCCESS)
        return scope.status();
    // Subkeys go with their values through the cascades of the schema.
    static constexpr Stmt kContents[] = {Stmt::DeleteChildren, Stmt::DeleteValuesOfKey};
    static constexpr Stmt kWholeKey[] = {Stmt::DeleteKey};
    const bool keepKey = subKey.isEmpty() || id == RootStore::kRootKeyId;
    for (Stmt step : keepKey ? std::span<const Stmt>(kContents) : std::span<const Stmt>(kWholeKey)) {
        StmtUse s(store.statement(step));
        if (s.get())
            sqlite3_bind_int64(s, 1, id);
        if (const LSTATUS status = Change(store, s); status != ERROR_SUCCESS)
            return status;
    }
    return scope.commit();
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, QString* name)
{
    const QString* found = nullptr;
    const LSTATUS status = Enumerate(key, KEY_ENUMERATE_SUB_KEYS, index, Stmt::EnumKeys, &KeyObject::subkeys,
                                     &KeyObject::subkeySnapshot, [](sqlite3_stmt* s) { return ColumnName(s, 0); }, &found);
    if (status == ERROR_SUCCESS && name)
        *name = *found;
    return status;
}

LSTATUS RegEnumValue(HKEY key, DWORD index, QString* name, DWORD* type, QByteArray* data)
{
    const KeyObject::Value* found = nullptr;
    const LSTATUS status = Enumerate(
        key, KEY_QUERY_VALUE, index, Stmt::EnumValues, &KeyObject::values, &KeyObject::valueSnapshot,
        [](sqlite3_stmt* s) {
            return KeyObject::Value{
                ColumnName(s, 0), DWORD(sqlite3_column_int64(s, 1)),
                QByteArray(static_cast<const char*>(sqlite3_column_blob(s, 2)), sqlite3_column_bytes(s, 2))};
        },
        &found);
    if (status != ERROR_SUCCESS)
        return status;
    if (name)
        *name = found->name;
    if (type)
        *type = found->type;
    if (data)
        *data = found->data;
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueNames(HKEY key, QStringList* names)
{
    names->clear();
    LockedKey locked(key);
    if (const LSTATUS status = Enter(locked, KEY_QUERY_VALUE, RootStore::Need::Read); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    if (!store.db())
        return ERROR_SUCCESS;
    if (const LSTATUS status = ReadRows(store, Stmt::ValueNames, locked.key().id,
                                        [](sqlite3_stmt* s) { return ColumnName(s, 0); }, names);
        status != ERROR_SUCCESS)
        return status;
    return names->isEmpty() ? EmptyAnswer(store, locked.key().id, ERROR_SUCCESS) : ERROR_SUCCESS;
}

LSTATUS RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* values)
{
    LockedKey locked(key);
    if (const LSTATUS status = Enter(locked, KEY_QUERY_VALUE, RootStore::Need::Read); status != ERROR_SUCCESS)
        return status;
    RootStore& store = locked.store();
    DWORD counts[2] = {0, 0};
    if (store.db()) {
        const Stmt queries[2] = {Stmt::ChildCount, Stmt::CountValues};
        DWORD* const wanted[2] = {subKeys, values};
        for (int i = 0; i < 2; ++i) {
            if (!wanted[i])
                continue;
            StmtUse s(store.statement(queries[i]));
            if (!s.get())
                return LastStatus(store);
            sqlite3_bind_int64(s, 1, locked.key().id);
            if (const int rc = sqlite3_step(s); rc != SQLITE_ROW)
                return RootStore::Status(rc);
            counts[i] = DWORD(sqlite3_column_int64(s, 0));
        }
        // A deleted key has lost its subkeys and values with it: only empty counts need the check.
        if (counts[0] == 0 && counts[1] == 0) {
            if (const LSTATUS status = EmptyAnswer(store, locked.key().id, ERROR_SUCCESS); status != ERROR_SUCCESS)
                return status;
        }
    }
    if (subKeys)
        *subKeys = counts[0];
    if (values)
        *values = counts[1];
    return ERROR_SUCCESS;
}

LSTATUS RegGetKeyPath(HKEY key, Root* root, QString* path)
{
    LockedKey locked(key);
    if (!locked.valid())
        return ERROR_INVALID_HANDLE;
    if (root)
        *root = locked.key().root;
    if (path)
        *path = locked.key().path;
    return ERROR_SUCCESS;
}

Key& Key::operator=(Key&& o) noexcept
{
    if (this != &o) {
        reset();
        m_h = o.m_h;
        o.m_h = nullptr;
    }
    return *this;
}

HKEY* Key::put()
{
    reset();
    return &m_h;
}

void Key::reset()
{
    if (m_h)
        RegCloseKey(m_h);
    m_h = nullptr;
}

} // namespace reg
