#pragma once
// The feed fixtures in the test data folder.

#include <QFile>

inline QString FixturePath(const QString& name) { return QStringLiteral(QSCUST_TEST_DATA "/feeds/") + name; }

inline QByteArray Fixture(const QString& name)
{
    QFile file(FixturePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
