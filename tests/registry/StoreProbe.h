#pragma once
// Looks at store and .reg files from outside the store's own code, as another process or user would.

#include "registry/StoreConfig.h"

#include <QFile>

#include <functional>

#include <grp.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

constexpr int kNobody = 65534;

// Runs fn in a forked child as the user nobody (uid and gid 65534) and gives back what it returned;
// "<died>" when the child could not drop root's rights or did not end normally. This process's
// store connections are closed first so that the child opens its own.
inline QByteArray AsNobody(const std::function<QByteArray()>& fn)
{
    reg::ResetStore();
    int fds[2];
    if (::pipe(fds) != 0)
        return "<no pipe>";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(1);
        const QByteArray out = fn();
        ::_exit(::write(fds[1], out.constData(), size_t(out.size())) == out.size() ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : QByteArray("<died>");
}

// The first column of the last row the SQL gives, through a connection of its own.
inline QString Sql(const QString& path, const char* sql)
{
    QString last;
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    auto keep = [](void* out, int, char** row, char**) { *static_cast<QString*>(out) = row[0]; return 0; };
    sqlite3_exec(db, sql, keep, &last, nullptr);
    sqlite3_close(db);
    return last;
}

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
