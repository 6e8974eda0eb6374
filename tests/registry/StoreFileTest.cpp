// The store's files: failures with a status and a text of their own, damaged or foreign files never
// written, journal modes and permissions, another user's reads, and transactions that show all of
// their changes or none.

#include "StoreProbe.h"
#include "TempStore.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <map>

#include <sys/stat.h>

using namespace reg;

namespace {

// The system's file layer with a full disk on demand. Database files and their logs have methods of
// their own: each kind gets a copy whose writes can fail, with the real methods right behind it.
bool g_diskFull = false;
sqlite3_vfs* g_realVfs = nullptr;
sqlite3_vfs g_faultyVfs;
struct FaultyMethods { sqlite3_io_methods methods; const sqlite3_io_methods* real; };

int FaultyWrite(sqlite3_file* file, const void* data, int size, sqlite3_int64 offset)
{
    const sqlite3_io_methods* real = reinterpret_cast<const FaultyMethods*>(file->pMethods)->real;
    return g_diskFull ? SQLITE_FULL : real->xWrite(file, data, size, offset);
}

int FaultyOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    static std::map<const sqlite3_io_methods*, FaultyMethods> copies;
    const int rc = g_realVfs->xOpen(g_realVfs, name, file, flags, outFlags);
    if (rc == SQLITE_OK && file->pMethods) {
        FaultyMethods& copy = copies.try_emplace(file->pMethods, FaultyMethods{*file->pMethods, file->pMethods}).first->second;
        copy.methods.xWrite = FaultyWrite;
        file->pMethods = &copy.methods;
    }
    return rc;
}

// HOME and XDG_CONFIG_HOME relative, and so ignored, for the lifetime of the object.
struct RelativeHome {
    RelativeHome() { qputenv("HOME", "relative/home"); qputenv("XDG_CONFIG_HOME", "relative/config"); }
    ~RelativeHome() { qputenv("HOME", home); xdg.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", xdg); }
    const QByteArray home = qgetenv("HOME"), xdg = qgetenv("XDG_CONFIG_HOME");
};

QString FileOf(const TempStore& t, const QByteArray& bytes, const char* sql = nullptr)
{
    WriteAll(t.dir() + "/f", bytes);
    Sql(t.dir() + "/f", sql ? sql : "");
    return t.dir() + "/f";
}

// A write of two values in one transaction to a broken store: its status, nothing of it kept, the
// file left as it was, and a one-line text naming the file and the cause.
TEST(StoreFaultTest, EachFailureHasItsOwnStatusAndATextNamingTheFileAndItsCause)
{
    static const bool faultyDisk = [] {
        g_realVfs = sqlite3_vfs_find(nullptr);
        g_faultyVfs = *g_realVfs;
        g_faultyVfs.zName = "faulty";
        g_faultyVfs.xOpen = FaultyOpen;
        return sqlite3_vfs_register(&g_faultyVfs, 1) == SQLITE_OK;
    }();
    ASSERT_TRUE(faultyDisk);
    // brokenFile breaks the user's file and returns it; "" leaves the root to the environment.
    const struct { const char* what; QString (*brokenFile)(const TempStore&); LSTATUS read, write; const char* cause; } cases[] = {
        {"a FIFO, which must not block", [](const TempStore& t) { ::mkfifo(qPrintable(t.dir() + "/f"), 0600); return t.dir() + "/f"; },
         ERROR_BAD_FILE_TYPE, ERROR_BAD_FILE_TYPE, "is not a regular file"},
        {"a folder", [](const TempStore& t) { QDir(t.dir()).mkdir("f"); return t.dir() + "/f"; },
         ERROR_BAD_FILE_TYPE, ERROR_BAD_FILE_TYPE, "is not a regular file"},
        {"a folder name of 300 characters", [](const TempStore& t) { return t.dir() + "/" + QString(300, u'f') + "/r"; },
         ERROR_FILENAME_EXCED_RANGE, ERROR_FILENAME_EXCED_RANGE, "has a name that is too long"},
        {"a file in the way of the folder", [](const TempStore& t) { return FileOf(t, "x") + "/s/r"; },
         ERROR_FILE_NOT_FOUND, ERROR_CANNOT_MAKE, "folder of the store file"},
        {"no home folder", [](const TempStore&) { return QString(); },
         ERROR_ENVVAR_NOT_FOUND, ERROR_ENVVAR_NOT_FOUND, "HOME is not set"},
        {"a full disk", [](const TempStore& t) { g_diskFull = true; return t.path(Root::CurrentUser); },
         ERROR_FILE_NOT_FOUND, ERROR_DISK_FULL, "not enough space on the disk"},
        {"a text file", [](const TempStore& t) { return FileOf(t, QByteArray("not a database\n").repeated(300)); },
         ERROR_BADDB, ERROR_BADDB, "not a settings store"},
        {"another program's database", [](const TempStore& t) { return FileOf(t, {}, "CREATE TABLE notes(x);"); },
         ERROR_BADDB, ERROR_BADDB, "not a settings store"},
        {"a later version", [](const TempStore& t) { return FileOf(t, {}, "PRAGMA application_id = 0x54524547; PRAGMA user_version = 2;"); },
         ERROR_BADDB, ERROR_BADDB, "not a settings store"},
        {"a damaged page of the key table, which is no deleted key",
         [](const TempStore& t) {
             const qint64 page = Sql(t.path(Root::CurrentUser), "SELECT rootpage FROM sqlite_master WHERE name = 'keys'").toLongLong();
             return FileOf(t, ReadAll(t.path(Root::CurrentUser)).replace((page - 1) * 4096, 4096, QByteArray(4096, '\x5a')));
         },
         ERROR_REGISTRY_CORRUPT, ERROR_REGISTRY_CORRUPT, "is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempStore store;
        ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "v", 7), ERROR_SUCCESS);
        const RelativeHome home;
        qunsetenv("TALVEN_HKCU");
        ResetStore(); // also leaves the file whole, with nothing in a write-ahead log
        const QString file = c.brokenFile(store);
        if (!file.isEmpty())
            ConfigureRoot(Root::CurrentUser, {file, RootAccess::Auto});
        const QByteArray before = QFileInfo(file).isFile() ? ReadAll(file) : QByteArray();
        DWORD value = 0;
        const LSTATUS read = QueryDword(HKEY_CURRENT_USER, "missing", &value);
        LSTATUS write = ERROR_SUCCESS;
        {
            Transaction tx(Root::CurrentUser);
            for (const char* name : {"a", "b"})
                write = write ? write : tx.status() ? tx.status() : SetDword(HKEY_CURRENT_USER, name, 1);
            write = write ? write : tx.commit();
        }
        g_diskFull = false;
        EXPECT_EQ(std::pair(read, write), std::pair(c.read, c.write));
        EXPECT_NE(QueryDword(HKEY_CURRENT_USER, "a", &value), ERROR_SUCCESS) << "nothing of the failed write is kept";
        EXPECT_EQ(QFileInfo(file).isFile() ? ReadAll(file) : QByteArray(), before) << "the file is left as it was";
        const QString text = StoreErrorText(Root::CurrentUser, c.write);
        EXPECT_TRUE(text.contains(QLatin1String(c.cause)) && text.contains(file) && !text.contains(u'\n'))
            << text.toStdString();
    }
}

// Nobody's own file in a folder only root may write: it reads as it stands, though the write-ahead
// log's files cannot be made there, and a write is refused.
TEST(StoreAccessTest, AnotherUserReadsItsFileInAFolderItMayNotWrite)
{
    TempStore store;
    ASSERT_EQ(::chmod(qPrintable(store.dir()), 0755), 0);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "v", 7), ERROR_SUCCESS);
    ResetStore();
    ASSERT_EQ(::chown(qPrintable(store.path(Root::CurrentUser)), kNobody, kNobody), 0);
    ASSERT_FALSE(QFileInfo::exists(store.path(Root::CurrentUser) + "-wal"));
    EXPECT_TRUE(RunAsNobody([] {
        DWORD value = 0;
        return QueryDword(HKEY_CURRENT_USER, "v", &value) == ERROR_SUCCESS && value == 7 &&
               SetDword(HKEY_CURRENT_USER, "w", 1) == ERROR_ACCESS_DENIED;
    }));
}

TEST(TransactionTest, CommitShowsAllAtOnceRollbackUndoesAllAndAnInnerRollbackDoomsTheOuter)
{
    TempStore store;
    const QString user = store.path(Root::CurrentUser), machine = store.path(Root::LocalMachine);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "before", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(HKEY_LOCAL_MACHINE, "v", 1), ERROR_SUCCESS);
    // Users who only read the machine root need no -shm file; only the machine root is for all to read.
    EXPECT_EQ(Sql(user, "PRAGMA journal_mode") + Sql(machine, "PRAGMA journal_mode"), "waldelete");
    EXPECT_EQ(QFileInfo(user).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_NE(QFileInfo(machine).permissions() & QFile::ReadOther, 0);

    auto has = [](const char* name) { return RegQueryValueEx(HKEY_CURRENT_USER, name, nullptr, nullptr, nullptr) == 0; };
    // An inner transaction that commits, one left without a commit, and none at all.
    for (const int inner : {1, 0, -1}) {
        SCOPED_TRACE(inner);
        {
            Transaction tx(Root::CurrentUser);
            SetDword(HKEY_CURRENT_USER, "a", 1);
            RegDeleteValue(HKEY_CURRENT_USER, "before");
            EXPECT_EQ(Sql(user, "SELECT count(*) FROM vals"), "1") << "nothing is visible before the commit";
            EXPECT_TRUE(has("a")) << "the writer sees its own changes";
            if (inner >= 0) {
                Transaction nested(Root::CurrentUser);
                EXPECT_TRUE(!inner || nested.commit() == ERROR_SUCCESS);
            }
            EXPECT_EQ(inner == -1 || tx.commit() == (inner ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED), true);
        }
        EXPECT_EQ(std::pair(has("before"), has("a")), std::pair(inner != 1, inner == 1));
        SetDword(HKEY_CURRENT_USER, "before", 1);
        RegDeleteValue(HKEY_CURRENT_USER, "a");
    }
    store.setReadOnly(Root::CurrentUser, true);
    Transaction tx(Root::CurrentUser);
    EXPECT_EQ(std::pair(tx.status(), tx.commit()), std::pair(ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED));
}

} // namespace
