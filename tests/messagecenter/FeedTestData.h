#pragma once
// The feed fixtures in the test data folder.

#include <QFile>

inline QString FixturePath(const char* name)
{
    return QStringLiteral(QSCUST_TEST_DATA "/feeds/") + QString::fromLatin1(name);
}

inline QByteArray Fixture(const char* name)
{
    QFile file(FixturePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
