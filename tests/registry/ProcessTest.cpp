// Several processes on one store: concurrent writers lose nothing, and root's import killed in the
// middle is never read half done and is recovered whole or not at all.

#include "StoreProbe.h"
#include "StoreValues.h"
#include "TempStore.h"
#include "registry/RegValues.h"

#include <cstdio>

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using namespace reg;

namespace {

TEST(ProcessTest, ConcurrentWritersLoseNothing)
{
    TempStore store;
    constexpr int kCount = 250;
    QProcess writers[2];
    for (int i = 0; i < 2; ++i)
        writers[i].start(STRESS_WRITER, {QString("w%1_").arg(i), QString::number(kCount)});
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(100000));
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().constData();
    }
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, QString(), "counter"), DWORD(2 * kCount))
        << "a read-modify-write transaction lost an update";
}

// Root's import of a .reg file into the machine root, killed once it has begun to change the file:
// a user who may not write the file sees a failure of its own while the journal is hot (never
// defaults, never half the import); once root runs talven-reg the user sees the old content or the
// new, whole. QSCUST_KILLS sets the number of kills.
TEST(ProcessTest, MachineImportKilledIsRecoveredByRootAndNeverReadHalfDone)
{
    constexpr int kKeys = 50;
    QByteArray file("Windows Registry Editor Version 5.00\n");
    for (int k = 0; k < kKeys; ++k) {
        file += "[HKEY_LOCAL_MACHINE\\Big\\K" + QByteArray::number(k) + "]\n";
        for (int v = 0; v < 100; ++v)
            file += "\"value" + QByteArray::number(v) + "\"=\"some text to make the pages fill up\"\n";
    }
    // Whether nobody's read of the marker, with the counts of values it sees in the first and last
    // key, gives one of `allowed`. This process's connections are closed so that nobody opens its own.
    const auto nobodySees = [](const QList<QByteArray>& allowed) {
        ResetStore();
        return RunAsNobody([&allowed] {
            DWORD marker = 0;
            QByteArray seen = QByteArray::number(QueryDword(HKEY_LOCAL_MACHINE, "marker", &marker));
            for (const QString& k : {QString("Big\\K0"), "Big\\K" + QString::number(kKeys - 1)}) {
                Key key;
                DWORD values = 0;
                RegOpenKeyEx(HKEY_LOCAL_MACHINE, k, KEY_READ, key.put());
                RegQueryInfoKey(key, nullptr, &values);
                seen += ' ' + QByteArray::number(values);
            }
            return allowed.contains(seen) || std::fprintf(stderr, "nobody sees %s\n", seen.constData()) < 0;
        });
    };
    // SQLite writes a rollback journal's magic number only once the journal is synced, just before
    // it changes the database file itself: from then on a reader must roll the journal back.
    auto hotJournal = [](const QString& db) { return ReadAll(db + "-journal").startsWith("\xd9\xd5\x05\xf9"); };
    const int kills = qEnvironmentVariableIntValue("QSCUST_KILLS") > 0 ? qEnvironmentVariableIntValue("QSCUST_KILLS") : 25;
    const QByteArray before = "0 0 0", after = "0 100 100";
    int hot = 0, killed = 0;
    for (int run = 0; run < kills; ++run) {
        SCOPED_TRACE(run);
        TempStore store;
        ASSERT_EQ(::chmod(qPrintable(store.dir()), 0755), 0);
        const QString regFile = store.dir() + "/big.reg", db = store.path(Root::LocalMachine);
        ASSERT_TRUE(WriteAll(regFile, file));
        ASSERT_EQ(SetDword(HKEY_LOCAL_MACHINE, "marker", 1), ERROR_SUCCESS);
        ResetStore(); // the importer has the file alone

        QProcess importer;
        importer.start(TALVEN_REG, {"import", regFile});
        ASSERT_TRUE(importer.waitForStarted());
        for (QDeadlineTimer deadline(60000); importer.state() == QProcess::Running && !hotJournal(db) && !deadline.hasExpired();)
            QThread::usleep(200);
        if (hotJournal(db))
            importer.kill();
        importer.waitForFinished(60000);
        killed += importer.exitStatus() == QProcess::CrashExit;

        const bool hotNow = hotJournal(db);
        hot += hotNow;
        EXPECT_TRUE(nobodySees(hotNow ? QList{QByteArray::number(ERROR_CANTREAD) + " 0 0"} : QList{before, after}));
        EXPECT_EQ(QProcess::execute(TALVEN_REG, {"query", "HKLM", "/v", "marker"}), 0) << "root's read recovers the file";
        EXPECT_TRUE(nobodySees({before, after}) && !hotJournal(db));
        EXPECT_EQ(Sql(db, "PRAGMA quick_check"), "ok");
    }
    std::printf("%d kills, %d of them mid-import with the journal hot\n", killed, hot);
    EXPECT_GT(hot, 0) << "no kill left a hot journal";
}

} // namespace
