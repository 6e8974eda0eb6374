#pragma once
// One root of the store: its SQLite connection, schema, prepared statements and write nesting.
// Internal to src/registry; callers use Registry.h and Transaction.h.

#include "StoreConfig.h"

#include <QString>

#include <array>
#include <mutex>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace reg {

enum class Stmt {
    FindChild,
    InsertKey,
    KeyExists,
    GetValue,
    SetValue,
    DeleteValue,
    ChildCount,
    DeleteKey,
    DeleteValuesOfKey,
    DeleteChildren,
    EnumKeys,
    EnumValues,
    ValueNames,
    CountValues,
    DataVersion,
    Count
};

// Resets and unbinds a cached statement when the use ends.
class StmtUse {
public:
    explicit StmtUse(sqlite3_stmt* s) : m_s(s) {}
    ~StmtUse();
    StmtUse(const StmtUse&) = delete;
    StmtUse& operator=(const StmtUse&) = delete;
    sqlite3_stmt* get() const { return m_s; }
    operator sqlite3_stmt*() const { return m_s; }

private:
    sqlite3_stmt* m_s;
};

class RootStore {
public:
    static RootStore& of(Root root);
    static constexpr long long kRootKeyId = 1;

    enum class Need {
        Read,   // any connection; a missing file is an empty root
        Write,  // a connection that may write, when the file exists
        Create, // as Write, and the file and its folder are made when missing
    };

    void configure(const RootConfig& config);
    RootConfig config() const { return m_config; }
    Root root() const { return m_root; }
    std::recursive_mutex& mutex() { return m_mutex; }
    unsigned long long generation() const { return m_generation; }

    // ERROR_SUCCESS when this process may write the root, else why not (read-only, no file, a
    // file that is not a regular one, ...).
    LSTATUS writeStatus();
    // ERROR_SUCCESS with db() null means the root's file does not exist (an empty root).
    LSTATUS ready(Need need);
    sqlite3* db() const { return m_db; }
    sqlite3_stmt* statement(Stmt id);

    // Nestable: the outermost begin takes the write lock (BEGIN IMMEDIATE), the outermost end commits,
    // or rolls back when any level ended without committing.
    LSTATUS beginWrite();
    LSTATUS endWrite(bool commit);
    bool inWrite() const { return m_writeDepth > 0; }
    // Runs a statement that changes the root. Inside a transaction that SQLite has already rolled
    // back after a failure, nothing runs: the statement would otherwise commit on its own.
    LSTATUS stepWrite(sqlite3_stmt* s);
    // Called after each change, in a transaction or not, so that snapshots know.
    void noteChange() { ++m_localChanges; }
    // Differs whenever this root's content may have changed, here or in another process.
    std::pair<long long, unsigned long long> changeStamp();
    // Changes made through this process's connection only: cheap, no file access.
    unsigned long long localChanges() const { return m_localChanges; }

    static LSTATUS Status(int sqliteResult);

    ~RootStore() { close(); }

private:
    explicit RootStore(Root root);
    bool writable() const;
    void close();
    LSTATUS open(bool create);
    LSTATUS openConnection(bool readOnlySnapshot);
    LSTATUS prepareSchema();
    LSTATUS exec(const char* sql);

    Root m_root;
    RootConfig m_config;
    std::recursive_mutex m_mutex;
    unsigned long long m_generation = 1;
    sqlite3* m_db = nullptr;
    bool m_dbWritable = false;
    // Opened as an unchanging file because the folder does not let this user make the write-ahead
    // log's files; reopened as soon as the file or its log changes.
    bool m_snapshot = false;
    QByteArray m_snapshotStamp;
    LSTATUS m_writeFailure = ERROR_SUCCESS; // first failure inside the open transaction
    LSTATUS m_broken = ERROR_SUCCESS;
    std::array<sqlite3_stmt*, static_cast<size_t>(Stmt::Count)> m_stmts{};
    int m_writeDepth = 0;
    bool m_doomed = false;
    unsigned long long m_localChanges = 0;
};

// Holds a root's write lock for a scope: ends without committing unless commit() was called.
class WriteScope {
public:
    explicit WriteScope(RootStore& store) : m_store(store), m_status(store.beginWrite()) {}
    ~WriteScope()
    {
        if (m_status == ERROR_SUCCESS && !m_done)
            m_store.endWrite(false);
    }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;
    LSTATUS status() const { return m_status; }
    [[nodiscard]] LSTATUS commit()
    {
        m_done = true;
        return m_store.endWrite(true);
    }

private:
    RootStore& m_store;
    LSTATUS m_status;
    bool m_done = false;
};

} // namespace reg
