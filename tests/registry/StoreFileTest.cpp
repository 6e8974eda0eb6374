// The store's files and what other connections see: damaged or foreign files are never written,
// journal modes and permissions, and transactions that show all of their changes or none.

#include "StoreProbe.h"
#include "TempStore.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include <sys/stat.h>

using namespace reg;

namespace {

// The system's file layer with faults on demand: every write fails as on a full disk, or every
// read fails as on a failing one.
enum class DiskFault { None, Full, ReadError };
DiskFault g_fault = DiskFault::None;
sqlite3_vfs* g_realVfs = nullptr;
sqlite3_vfs g_faultyVfs;
// Database files and their logs have methods of their own: each gets a faulty copy.
struct Methods {
    const sqlite3_io_methods* real = nullptr;
    sqlite3_io_methods faulty;
};
std::array<Methods, 4> g_methods;

const sqlite3_io_methods* Real(sqlite3_file* file)
{
    for (const Methods& m : g_methods) {
        if (&m.faulty == file->pMethods)
            return m.real;
    }
    return nullptr;
}

int FaultyWrite(sqlite3_file* file, const void* data, int size, sqlite3_int64 offset)
{
    return g_fault == DiskFault::Full ? SQLITE_FULL : Real(file)->xWrite(file, data, size, offset);
}

int FaultyRead(sqlite3_file* file, void* data, int size, sqlite3_int64 offset)
{
    return g_fault == DiskFault::ReadError ? SQLITE_IOERR_READ : Real(file)->xRead(file, data, size, offset);
}

int FaultyOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    const int rc = g_realVfs->xOpen(g_realVfs, name, file, flags, outFlags);
    if (rc != SQLITE_OK || !file->pMethods)
        return rc;
    for (Methods& m : g_methods) {
        if (!m.real) {
            m.real = file->pMethods;
            m.faulty = *file->pMethods;
            m.faulty.xWrite = FaultyWrite;
            m.faulty.xRead = FaultyRead;
        }
        if (m.real == file->pMethods) {
            file->pMethods = &m.faulty;
            break;
        }
    }
    return rc;
}

// Makes the faulty layer the default for the connections the store opens from now on.
void InstallFaultyDisk()
{
    static const bool installed = [] {
        g_realVfs = sqlite3_vfs_find(nullptr);
        g_faultyVfs = *g_realVfs;
        g_faultyVfs.zName = "faulty";
        g_faultyVfs.xOpen = FaultyOpen;
        return sqlite3_vfs_register(&g_faultyVfs, 1) == SQLITE_OK;
    }();
    ASSERT_TRUE(installed);
}

// Sets environment variables for a scope and puts the old values back.
class Environment {
public:
    void set(const char* name, const char* value)
    {
        m_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~Environment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->wasSet)
                qputenv(it->name, it->value);
            else
                qunsetenv(it->name);
        }
    }

private:
    struct Saved { const char* name; QByteArray value; bool wasSet; };
    std::vector<Saved> m_saved;
};

TEST(StoreFaultTest, EachFailureHasItsOwnStatusAndATextNamingTheFileAndItsCause)
{
    InstallFaultyDisk();
    // setUp returns the file the user's root uses, or makes the root's configuration itself ("").
    const struct {
        const char* what;
        std::function<QString(TempStore&, Environment&)> setUp;
        LSTATUS read, write;
        const char* cause;
    } cases[] = {
        {"a FIFO as the store, which must not block",
         [](TempStore& t, Environment&) { ::mkfifo(qPrintable(t.dir() + "/fifo.db"), 0600); return t.dir() + "/fifo.db"; },
         ERROR_BAD_FILE_TYPE, ERROR_BAD_FILE_TYPE, "is not a regular file"},
        {"a folder as the store",
         [](TempStore& t, Environment&) { QDir(t.dir()).mkdir("dir.db"); return t.dir() + "/dir.db"; },
         ERROR_BAD_FILE_TYPE, ERROR_BAD_FILE_TYPE, "is not a regular file"},
        {"a folder name of 300 characters",
         [](TempStore& t, Environment&) { return t.dir() + "/" + QString(300, u'f') + "/registry.db"; },
         ERROR_FILENAME_EXCED_RANGE, ERROR_FILENAME_EXCED_RANGE, "has a name that is too long"},
        {"a folder that cannot be made: a file is in the way",
         [](TempStore& t, Environment&) { WriteAll(t.dir() + "/file", "x"); return t.dir() + "/file/sub/registry.db"; },
         ERROR_FILE_NOT_FOUND, ERROR_CANNOT_MAKE, "folder of the store file"},
        {"no home folder and a relative XDG_CONFIG_HOME",
         [](TempStore&, Environment& env) {
             env.set("TALVEN_HKCU", nullptr);
             env.set("HOME", nullptr);
             env.set("XDG_CONFIG_HOME", "relative/config");
             ResetStore();
             return QString();
         },
         ERROR_ENVVAR_NOT_FOUND, ERROR_ENVVAR_NOT_FOUND, "HOME is not set"},
        {"a full disk",
         [](TempStore& t, Environment&) { g_fault = DiskFault::Full; return t.path(Root::CurrentUser); },
         ERROR_FILE_NOT_FOUND, ERROR_DISK_FULL, "not enough space on the disk"},
        {"a failing disk",
         [](TempStore& t, Environment&) { g_fault = DiskFault::ReadError; return t.path(Root::CurrentUser); },
         ERROR_REGISTRY_IO_FAILED, ERROR_REGISTRY_IO_FAILED, "input/output error"},
        {"a damaged page of the key table, which is no deleted key",
         [](TempStore& t, Environment&) {
             const QString file = t.path(Root::CurrentUser);
             const qint64 page = Sql(file, "SELECT rootpage FROM sqlite_master WHERE name = 'keys'").toLongLong();
             QFile f(file);
             if (f.open(QIODevice::ReadWrite) && f.seek((page - 1) * 4096))
                 f.write(QByteArray(4096, '\x5a'));
             return file;
         },
         ERROR_REGISTRY_CORRUPT, ERROR_REGISTRY_CORRUPT, "is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempStore store;
        ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "v", 7), ERROR_SUCCESS);
        ResetStore(); // the file whole, with nothing left in a write-ahead log
        Environment env;
        const QString file = c.setUp(store, env);
        if (!file.isEmpty())
            ConfigureRoot(Root::CurrentUser, {file, RootAccess::Auto});
        DWORD value = 0;
        const LSTATUS read = QueryDword(HKEY_CURRENT_USER, "missing", &value);
        const LSTATUS write = SetDword(HKEY_CURRENT_USER, "w", 1);
        g_fault = DiskFault::None;
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(write, c.write);
        const QString text = StoreErrorText(Root::CurrentUser, c.write);
        EXPECT_TRUE(text.contains(QLatin1String(c.cause)) && text.contains(file)) << text.toStdString();
        EXPECT_EQ(text.count(u'\n'), 0);
    }
}

TEST(StoreFaultTest, AFailedCommitLeavesNothingAndSaysWhy)
{
    InstallFaultyDisk();
    TempStore store;
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "kept", 1), ERROR_SUCCESS);
    {
        Transaction tx(Root::CurrentUser);
        ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "a", 1), ERROR_SUCCESS);
        ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "b", 1), ERROR_SUCCESS);
        g_fault = DiskFault::Full;
        EXPECT_EQ(tx.commit(), ERROR_DISK_FULL);
        g_fault = DiskFault::None;
    }
    QStringList names;
    ASSERT_EQ(RegQueryValueNames(HKEY_CURRENT_USER, &names), ERROR_SUCCESS);
    EXPECT_EQ(names, QStringList{"kept"});
}

TEST(StoreConfigTest, TheUsersFileFollowsAbsoluteXdgAndHomeOnly)
{
    const struct { const char* xdg; const char* home; QString file; } cases[] = {
        {"/x/conf", nullptr, "/x/conf/talven/registry.db"},
        {"conf", "/home/u/", "/home/u/.config/talven/registry.db"},
        {nullptr, "home/u", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "<unset>") + " " + (c.home ? c.home : "<unset>"));
        Environment env;
        env.set("TALVEN_HKCU", nullptr);
        env.set("XDG_CONFIG_HOME", c.xdg);
        env.set("HOME", c.home);
        EXPECT_EQ(DefaultRootConfig(Root::CurrentUser).path, c.file);
    }
}

// A user's own file in a folder only root may write: readable, though the write-ahead log's files
// cannot be made; a machine file left half-written by root: a failure of its own, never the half
// change and never "not found", until root touches the file and so rolls the change back.
TEST(StoreAccessTest, AnotherUserReadsItsFileInALockedFolderButNotAHalfWrittenMachineFile)
{
    TempStore store;
    ASSERT_EQ(::chmod(qPrintable(store.dir()), 0755), 0);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "v", 7), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(HKEY_LOCAL_MACHINE, "v", 1), ERROR_SUCCESS);
    ResetStore();
    const QString user = store.path(Root::CurrentUser), machine = store.path(Root::LocalMachine);
    ASSERT_EQ(::chown(qPrintable(user), kNobody, kNobody), 0);
    ASSERT_FALSE(QFileInfo::exists(user + "-wal"));

    auto read = [](HKEY root) {
        return [root] {
            DWORD value = 0;
            const LSTATUS read = QueryDword(root, "v", &value);
            const LSTATUS write = SetDword(root, "w", 1);
            return QByteArray::number(read) + ' ' + QByteArray::number(value) + ' ' + QByteArray::number(write);
        };
    };
    EXPECT_EQ(AsNobody(read(HKEY_CURRENT_USER)), "0 7 5");

    // Root's change stops half-way, as when the process is killed: the journal stays behind.
    InChild([] {
        Transaction tx(Root::LocalMachine);
        const QByteArray filler(4000, 'x');
        for (int i = 0; i < 4000; ++i)
            RegSetValueEx(HKEY_LOCAL_MACHINE, QString::number(i), REG_BINARY,
                          reinterpret_cast<const BYTE*>(filler.constData()), DWORD(filler.size()));
        ::_exit(0);
        return QByteArray();
    }, false);
    ASSERT_TRUE(QFileInfo::exists(machine + "-journal"));
    EXPECT_EQ(AsNobody(read(HKEY_LOCAL_MACHINE)), QByteArray::number(ERROR_CANTREAD) + " 0 5");
    const QString text = StoreErrorText(Root::LocalMachine, ERROR_CANTREAD);
    EXPECT_TRUE(text.contains(machine) && text.contains("interrupted change") && text.contains("talven-reg"))
        << text.toStdString();

    DWORD value = 0;
    EXPECT_EQ(QueryDword(HKEY_LOCAL_MACHINE, "v", &value), ERROR_SUCCESS) << "root rolls the change back";
    EXPECT_EQ(value, 1u);
    EXPECT_FALSE(QFileInfo::exists(machine + "-journal"));
    EXPECT_EQ(AsNobody(read(HKEY_LOCAL_MACHINE)), "0 1 5");
}

TEST(StoreFileTest, DamagedOrForeignFilesAreNeitherReadNorWritten)
{
    const struct { const char* what; QByteArray bytes; const char* sql; } cases[] = {
        {"text file", QByteArray("this is not a database\n").repeated(200), nullptr},
        {"database header then garbage", QByteArray("SQLite format 3\0", 16) + QByteArray(8192, '\x7f'), nullptr},
        {"another program's database", QByteArray(), "CREATE TABLE notes(x); INSERT INTO notes VALUES('mine');"},
        {"empty file, which becomes a store", QByteArray(), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempStore store;
        const QString path = store.path(Root::CurrentUser);
        ASSERT_TRUE(WriteAll(path, c.bytes));
        if (c.sql)
            Sql(path, c.sql);
        const bool usable = c.bytes.isEmpty() && !c.sql;
        const QByteArray before = ReadAll(path);
        Key key;
        const LSTATUS open = RegOpenKeyEx(HKEY_CURRENT_USER, "Software", KEY_READ, key.put());
        EXPECT_TRUE(usable ? open == ERROR_FILE_NOT_FOUND : open == ERROR_BADDB || open == ERROR_REGISTRY_CORRUPT)
            << open;
        EXPECT_EQ(SetDword(HKEY_CURRENT_USER, "v", 1) == ERROR_SUCCESS, usable);
        DWORD value = 42;
        EXPECT_EQ(QueryDword(HKEY_CURRENT_USER, "v", &value) == ERROR_SUCCESS, usable);
        EXPECT_EQ(value, usable ? 1u : 42u) << "readers keep their default";
        EXPECT_TRUE(usable || ReadAll(path) == before) << "the file is left exactly as it was";
    }
}

TEST(StoreFileTest, FilesFollowTheRootAndOutsideChangesAreSeenAtOnce)
{
    TempStore store;
    const QString user = store.path(Root::CurrentUser), machine = store.path(Root::LocalMachine);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "v", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(HKEY_LOCAL_MACHINE, "v", 1), ERROR_SUCCESS);
    EXPECT_EQ(Sql(user, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Sql(machine, "PRAGMA journal_mode"), "delete")
        << "users who only read the machine root need no -shm file";
    EXPECT_EQ(QFileInfo(user).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_NE(QFileInfo(machine).permissions() & QFile::ReadOther, 0);
    Sql(user, "UPDATE vals SET data = x'02000000'");
    DWORD value = 0;
    ASSERT_EQ(QueryDword(HKEY_CURRENT_USER, "v", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u) << "nothing is cached between calls";
}

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "T", KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
        ASSERT_EQ(SetDword(key, "before", 1), ERROR_SUCCESS);
    }
    int valuesSeenOutside() { return Sql(store.path(Root::CurrentUser), "SELECT count(*) FROM vals").toInt(); }
    bool has(const char* name) { return RegQueryValueEx(key, name, nullptr, nullptr, nullptr) == ERROR_SUCCESS; }
    TempStore store;
    Key key;
};

TEST_F(TransactionTest, CommitShowsAllAtOnceRollbackUndoesAllReadOnlyRootCannotBegin)
{
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit);
        {
            Transaction tx(Root::CurrentUser);
            SetDword(key, "a", 1);
            RegDeleteValue(key, "before");
            Key sub;
            RegCreateKeyEx(key, "sub", KEY_ALL_ACCESS, sub.put());
            SetDword(sub, "b", 1);
            EXPECT_EQ(valuesSeenOutside(), 1) << "nothing is visible before the commit";
            EXPECT_TRUE(has("a")) << "the writer sees its own changes";
            if (!commit)
                RegDeleteTree(HKEY_CURRENT_USER, "T");
            else
                ASSERT_EQ(tx.commit(), ERROR_SUCCESS);
        }
        EXPECT_EQ(has("before"), !commit);
        EXPECT_EQ(has("a"), commit);
        EXPECT_EQ(valuesSeenOutside(), commit ? 2 : 1);
    }
    store.setReadOnly(Root::CurrentUser, true);
    Transaction tx(Root::CurrentUser);
    EXPECT_EQ(tx.status(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tx.commit(), ERROR_ACCESS_DENIED);
}

TEST_F(TransactionTest, InnerRollbackDoomsTheOuterTransaction)
{
    for (const bool innerCommits : {false, true}) {
        Transaction outer(Root::CurrentUser);
        SetDword(key, "a", 1);
        {
            Transaction inner(Root::CurrentUser);
            EXPECT_TRUE(!innerCommits || inner.commit() == ERROR_SUCCESS);
        }
        EXPECT_EQ(outer.commit(), innerCommits ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED);
        EXPECT_EQ(has("a"), innerCommits);
    }
}

} // namespace
