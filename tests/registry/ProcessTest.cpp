// Several processes on one store: concurrent writers lose nothing, and a writer killed in the middle
// of an import leaves a sound file holding all of the import or none of it.

#include "TempStore.h"
#include "registry/RegValues.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace reg;

namespace {

struct FileCheck {
    QString quickCheck;
    int values = -1;
};

FileCheck CheckFile(const QString& path)
{
    FileCheck check;
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &s, nullptr);
    if (sqlite3_step(s) == SQLITE_ROW)
        check.quickCheck = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db, "SELECT count(*) FROM vals", -1, &s, nullptr);
    if (sqlite3_step(s) == SQLITE_ROW)
        check.values = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return check;
}

TEST(ProcessTest, ConcurrentWritersLoseNothing)
{
    TempStore store;
    constexpr int kCount = 250;
    QProcess writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writers[i].start(QStringLiteral(STRESS_WRITER), {QStringLiteral("w%1_").arg(i), QString::number(kCount)});
    }
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(100000));
        EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer.exitCode(), 0) << "a write failed";
    }
    Key key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Stress", KEY_READ, key.put()), ERROR_SUCCESS);
    DWORD counter = 0;
    ASSERT_EQ(QueryDword(key, "counter", &counter), ERROR_SUCCESS);
    EXPECT_EQ(counter, DWORD(2 * kCount)) << "a read-modify-write transaction lost an update";
    for (int i = 0; i < 2; ++i) {
        for (int n = 0; n < kCount; ++n) {
            DWORD value = ~0u;
            ASSERT_EQ(QueryDword(key, QStringLiteral("w%1_%2").arg(i).arg(n), &value), ERROR_SUCCESS);
            EXPECT_EQ(value, DWORD(n));
        }
    }
}

TEST(ProcessTest, ImportKilledMidwayLeavesAllOrNothing)
{
    constexpr int kValues = 100000;
    QByteArray file("Windows Registry Editor Version 5.00\n");
    for (int k = 0; k < kValues / 100; ++k) {
        file += "[HKEY_CURRENT_USER\\Big\\K" + QByteArray::number(k) + "]\n";
        for (int v = 0; v < 100; ++v)
            file += "\"value" + QByteArray::number(v) + "\"=\"some text to make the pages fill up\"\n";
    }
    bool killedMidway = false;
    for (int attempt = 0; attempt < 4 && !killedMidway; ++attempt) {
        SCOPED_TRACE(attempt);
        TempStore store;
        const QString regFile = store.dir() + "/big.reg";
        QFile out(regFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();
        ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "marker", 1), ERROR_SUCCESS);
        ResetStore(); // close this process's connection so the file's WAL is the importer's alone

        const QString wal = store.path(Root::CurrentUser) + "-wal";
        QProcess importer;
        importer.start(QStringLiteral(TALVEN_REG), {"import", regFile});
        ASSERT_TRUE(importer.waitForStarted());
        // The write-ahead log grows only once the import writes: kill it then, before it commits.
        QElapsedTimer timer;
        timer.start();
        while (importer.state() == QProcess::Running && timer.elapsed() < 60000) {
            if (QFileInfo(wal).size() > 0) {
                importer.kill();
                break;
            }
            QThread::usleep(500);
        }
        ASSERT_TRUE(importer.waitForFinished(60000));
        killedMidway = importer.exitStatus() == QProcess::CrashExit;

        const FileCheck check = CheckFile(store.path(Root::CurrentUser));
        EXPECT_EQ(check.quickCheck, "ok");
        EXPECT_TRUE(check.values == 1 || check.values == 1 + kValues) << check.values << " values";
    }
    EXPECT_TRUE(killedMidway) << "the importer always finished before it could be killed";
}

} // namespace
