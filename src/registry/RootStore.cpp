#include "RootStore.h"

#include "trace/Trace.h"

#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <cerrno>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace reg {

namespace {

// Marks a database as this store's, so that a file of another program is never taken over.
constexpr int kApplicationId = 0x54524547; // "TREG"
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 15000;

const char* const kSchema = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name BLOB NOT NULL,
  fold BLOB NOT NULL,
  UNIQUE(parent, fold));
CREATE TABLE vals(
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name BLOB NOT NULL,
  fold BLOB NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key, fold));
INSERT INTO keys(id, parent, name, fold) VALUES(1, NULL, x'', x'');
)sql";

const char* const kStatements[] = {
    "SELECT id, name FROM keys WHERE parent = ?1 AND fold = ?2",
    "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)",
    "SELECT 1 FROM keys WHERE id = ?1",
    "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2",
    "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND fold = ?2",
    "SELECT count(*) FROM keys WHERE parent = ?1",
    "DELETE FROM keys WHERE id = ?1",
    "DELETE FROM vals WHERE key = ?1",
    "DELETE FROM keys WHERE parent = ?1",
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold",
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY rowid",
    "SELECT name FROM vals WHERE key = ?1 ORDER BY rowid",
    "SELECT count(*) FROM vals WHERE key = ?1",
    "PRAGMA data_version",
};
static_assert(std::size(kStatements) == static_cast<size_t>(Stmt::Count));

// Whether this user may make files in the folder: the nearest existing folder decides.
LSTATUS FolderStatus(const QString& folder)
{
    QFileInfo info(folder);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return ERROR_CANNOT_MAKE;
        info = QFileInfo(parent);
    }
    if (!info.isDir())
        return ERROR_CANNOT_MAKE;
    return ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) == 0 ? ERROR_SUCCESS
                                                                                             : ERROR_ACCESS_DENIED;
}

bool WritableFolder(const QString& folder)
{
    return FolderStatus(folder) == ERROR_SUCCESS;
}

// What the path holds, looked at without opening it: a FIFO must never block the caller.
// *exists is false when nothing is there yet, which is an empty root.
LSTATUS FileState(const QByteArray& file, bool* exists)
{
    struct stat st;
    *exists = ::stat(file.constData(), &st) == 0;
    if (*exists)
        return S_ISREG(st.st_mode) ? ERROR_SUCCESS : ERROR_BAD_FILE_TYPE;
    switch (errno) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_SUCCESS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EACCES:
        return ERROR_ACCESS_DENIED;
    case ELOOP:
        return ERROR_BAD_FILE_TYPE;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

bool Exists(const QByteArray& file)
{
    struct stat st;
    return ::lstat(file.constData(), &st) == 0;
}

// Changes whenever the file is replaced or written, or a log appears beside it.
QByteArray FileStamp(const QByteArray& file)
{
    struct stat st{};
    ::stat(file.constData(), &st);
    return QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_size)) + ' ' +
           QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec)) +
           (Exists(file + "-wal") || Exists(file + "-journal") ? " log" : "");
}

LSTATUS MakeFolder(const QString& folder)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (!error)
        return ERROR_SUCCESS;
    return error == std::errc::filename_too_long ? ERROR_FILENAME_EXCED_RANGE : ERROR_CANNOT_MAKE;
}

} // namespace

StmtUse::~StmtUse()
{
    if (m_s) {
        sqlite3_reset(m_s);
        sqlite3_clear_bindings(m_s);
    }
}

RootStore& RootStore::of(Root root)
{
    static RootStore stores[kRootCount] = {RootStore(Root::CurrentUser), RootStore(Root::LocalMachine)};
    return stores[root == Root::CurrentUser ? 0 : 1];
}

RootStore::RootStore(Root root) : m_root(root), m_config(DefaultRootConfig(root)) {}

void RootStore::configure(const RootConfig& config)
{
    std::lock_guard lock(m_mutex);
    close();
    m_config = config;
    m_broken = ERROR_SUCCESS;
    ++m_generation;
}

void RootStore::close()
{
    for (auto& s : m_stmts) {
        sqlite3_finalize(s);
        s = nullptr;
    }
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_dbWritable = false;
    m_snapshot = false;
    m_writeDepth = 0;
    m_doomed = false;
}

bool RootStore::writable() const
{
    if (m_config.access == RootAccess::ReadOnly || m_config.path.isEmpty())
        return false;
    // Decided when the connection opened; configure() closes it, so a change of access still counts.
    if (m_db && m_dbWritable)
        return true;
    const QByteArray file = QFile::encodeName(m_config.path);
    const QString folder = QFileInfo(m_config.path).absolutePath();
    if (::access(file.constData(), F_OK) == 0)
        return ::access(file.constData(), W_OK) == 0 && WritableFolder(folder);
    return WritableFolder(folder);
}

LSTATUS RootStore::writeStatus()
{
    if (m_config.path.isEmpty())
        return ERROR_ENVVAR_NOT_FOUND;
    if (m_db && m_dbWritable)
        return ERROR_SUCCESS;
    bool exists = false;
    if (const LSTATUS status = FileState(QFile::encodeName(m_config.path), &exists); status != ERROR_SUCCESS)
        return status;
    if (!exists && m_config.access != RootAccess::ReadOnly)
        return FolderStatus(QFileInfo(m_config.path).absolutePath());
    return writable() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS RootStore::Status(int rc)
{
    switch (rc) {
    case SQLITE_READONLY_ROLLBACK:  // a hot journal that only a writer may roll back
    case SQLITE_READONLY_RECOVERY:  // a write-ahead log that only a writer may recover
    case SQLITE_READONLY_DIRECTORY: // the log's files cannot be made beside the file
    case SQLITE_READONLY_CANTINIT:
        return ERROR_CANTREAD;
    default:
        break;
    }
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_NOTADB:
        return ERROR_BADDB;
    case SQLITE_CORRUPT:
        return ERROR_REGISTRY_CORRUPT;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
        return ERROR_INVALID_PARAMETER;
    case SQLITE_CONSTRAINT:
        return rc == SQLITE_CONSTRAINT_FOREIGNKEY ? ERROR_KEY_DELETED : ERROR_INVALID_PARAMETER;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

LSTATUS RootStore::exec(const char* sql)
{
    return Status(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr));
}

LSTATUS RootStore::ready(Need need)
{
    if (m_config.path.isEmpty())
        return ERROR_ENVVAR_NOT_FOUND;
    if (m_broken != ERROR_SUCCESS)
        return m_broken;
    // Every call on a key passes here: the usual answer, an open connection, costs no file name.
    if (m_db && m_snapshot && FileStamp(QFile::encodeName(m_config.path)) != m_snapshotStamp)
        close();
    const bool wantWrite = need != Need::Read;
    if (m_db && (!wantWrite || m_dbWritable))
        return ERROR_SUCCESS;
    const QByteArray file = QFile::encodeName(m_config.path);
    if (wantWrite) {
        if (const LSTATUS status = writeStatus(); status != ERROR_SUCCESS)
            return status;
    }
    if (m_db && m_writeDepth > 0)
        return ERROR_ACCESS_DENIED; // never reopen under an open transaction
    close();
    bool exists = false;
    if (const LSTATUS status = FileState(file, &exists); status != ERROR_SUCCESS)
        return status;
    if (!exists && need != Need::Create)
        return ERROR_SUCCESS; // an empty root until something is written
    const LSTATUS status = open(!exists);
    if (status != ERROR_SUCCESS) {
        close();
        // A file that is not ours or not a database stays untouched and unreadable until reconfigured.
        if (status == ERROR_BADDB || status == ERROR_REGISTRY_CORRUPT)
            m_broken = status;
        TRACE("Registry: cannot open %s: error %d", qPrintable(m_config.path), status);
    }
    return status;
}

LSTATUS RootStore::open(bool create)
{
    const QByteArray file = QFile::encodeName(m_config.path);
    if (create) {
        if (const LSTATUS status = MakeFolder(QFileInfo(m_config.path).absolutePath()); status != ERROR_SUCCESS)
            return status;
        // A user's settings are the user's alone; the machine root is read by every user, whatever the umask.
        const mode_t mode = m_root == Root::CurrentUser ? 0600 : 0644;
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            ::fchmod(fd, mode);
            ::close(fd);
        }
    }
    LSTATUS status = openConnection(false);
    // A user who may read the file but not make the write-ahead log's files in its folder still
    // reads it as it stands, provided no log or journal holds changes that are not in it yet.
    if (status == ERROR_CANTREAD && !m_dbWritable && !Exists(file + "-wal") && !Exists(file + "-journal")) {
        close();
        status = openConnection(true);
    }
    return status;
}

LSTATUS RootStore::openConnection(bool readOnlySnapshot)
{
    const QByteArray file = QFile::encodeName(m_config.path);
    const bool rw = !readOnlySnapshot && writable();
    int flags = SQLITE_OPEN_NOMUTEX | (rw ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    QByteArray name = file;
    if (readOnlySnapshot) {
        flags |= SQLITE_OPEN_URI;
        name = "file:" + QUrl::toPercentEncoding(QString::fromLocal8Bit(file), "/") + "?immutable=1";
        m_snapshotStamp = FileStamp(file);
    }
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK)
        return Status(rc);
    m_dbWritable = rw;
    m_snapshot = readOnlySnapshot;
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 1);
    LSTATUS status = exec("PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;");
    if (status == ERROR_SUCCESS)
        status = prepareSchema();
    return status;
}

LSTATUS RootStore::prepareSchema()
{
    auto single = [this](const char* sql, long long* out) {
        sqlite3_stmt* s = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(s);
            if (rc == SQLITE_ROW) {
                *out = sqlite3_column_int64(s, 0);
                rc = SQLITE_OK;
            }
        }
        sqlite3_finalize(s);
        return Status(rc);
    };
    long long appId = 0, version = 0, objects = 0;
    // One read transaction, so that another process creating the schema meanwhile is seen either
    // not at all or whole, never as "stamped nothing but holds tables".
    LSTATUS status = exec("BEGIN");
    if (status == ERROR_SUCCESS)
        status = single("PRAGMA application_id", &appId);
    if (status == ERROR_SUCCESS)
        status = single(appId == kApplicationId ? "PRAGMA user_version" : "SELECT count(*) FROM sqlite_master",
                        appId == kApplicationId ? &version : &objects);
    exec("COMMIT");
    if (status != ERROR_SUCCESS)
        return status;
    if (appId == kApplicationId)
        return version == kSchemaVersion ? ERROR_SUCCESS : ERROR_BADDB;
    if (appId != 0 || objects != 0)
        return ERROR_BADDB;
    if (!m_dbWritable)
        return ERROR_SUCCESS; // empty file: reads find nothing
    // The per-user root is shared by the client and its tools at once; the machine root is mostly
    // read. The switch needs the file to itself: when another process holds it, that process is
    // making the schema and switches the file, or this one switches it after making the schema.
    const bool walPending = m_root == Root::CurrentUser && exec("PRAGMA journal_mode = WAL") != ERROR_SUCCESS;
    if ((status = exec("BEGIN IMMEDIATE")) != ERROR_SUCCESS)
        return status;
    // Another process may have made the schema while this one waited for the lock.
    if ((status = single("PRAGMA application_id", &appId)) == ERROR_SUCCESS && appId == 0) {
        const QByteArray stamp = QByteArray("PRAGMA application_id = ") + QByteArray::number(kApplicationId) +
                                 "; PRAGMA user_version = " + QByteArray::number(kSchemaVersion) + ";";
        status = exec(kSchema);
        if (status == ERROR_SUCCESS)
            status = exec(stamp.constData());
    }
    if (status == ERROR_SUCCESS)
        status = exec("COMMIT");
    else
        exec("ROLLBACK");
    if (status == ERROR_SUCCESS && walPending)
        exec("PRAGMA journal_mode = WAL");
    return status;
}

sqlite3_stmt* RootStore::statement(Stmt id)
{
    sqlite3_stmt*& s = m_stmts[static_cast<size_t>(id)];
    if (!s && m_db)
        sqlite3_prepare_v3(m_db, kStatements[static_cast<size_t>(id)], -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    return s;
}

LSTATUS RootStore::beginWrite()
{
    if (m_writeDepth == 0) {
        LSTATUS status = ready(Need::Create);
        if (status == ERROR_SUCCESS)
            status = exec("BEGIN IMMEDIATE");
        if (status != ERROR_SUCCESS)
            return status;
        m_doomed = false;
        m_writeFailure = ERROR_SUCCESS;
    }
    ++m_writeDepth;
    return ERROR_SUCCESS;
}

LSTATUS RootStore::endWrite(bool commit)
{
    if (m_writeDepth == 0)
        return ERROR_INVALID_HANDLE;
    if (!commit)
        m_doomed = true;
    if (--m_writeDepth > 0)
        return ERROR_SUCCESS;
    noteChange(); // a rollback changes what readers of this connection see, too
    const LSTATUS failure = m_writeFailure != ERROR_SUCCESS ? m_writeFailure : ERROR_REGISTRY_IO_FAILED;
    // SQLite may already have rolled back on its own after an I/O error or a full disk.
    if (sqlite3_get_autocommit(m_db))
        return commit ? failure : ERROR_SUCCESS;
    if (m_doomed) {
        exec("ROLLBACK");
        return commit ? failure : ERROR_SUCCESS;
    }
    const LSTATUS status = exec("COMMIT");
    if (status != ERROR_SUCCESS)
        exec("ROLLBACK");
    return status;
}

LSTATUS RootStore::stepWrite(sqlite3_stmt* s)
{
    if (!s)
        return Status(sqlite3_errcode(m_db));
    if (m_writeDepth > 0 && sqlite3_get_autocommit(m_db))
        return m_writeFailure != ERROR_SUCCESS ? m_writeFailure : ERROR_REGISTRY_IO_FAILED;
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) {
        noteChange();
        return ERROR_SUCCESS;
    }
    const LSTATUS status = Status(rc);
    if (m_writeDepth > 0 && m_writeFailure == ERROR_SUCCESS)
        m_writeFailure = status;
    return status;
}

std::pair<long long, unsigned long long> RootStore::changeStamp()
{
    long long version = -1;
    if (sqlite3_stmt* s = statement(Stmt::DataVersion)) {
        StmtUse use(s);
        if (sqlite3_step(s) == SQLITE_ROW)
            version = sqlite3_column_int64(s, 0);
    }
    return {version, m_localChanges};
}

} // namespace reg
