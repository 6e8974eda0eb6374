#pragma once
// Looks at store and .reg files from outside the store's own code, as another process or user would.

#include "AsNobody.h"
#include "registry/StoreConfig.h"

#include <QFile>

#include <sqlite3.h>

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
