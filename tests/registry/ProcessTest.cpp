// Several processes on one store: concurrent writers lose nothing, and a writer killed in the middle
// of an import leaves a sound file holding all of the import or none of it.

#include "StoreProbe.h"
#include "StoreValues.h"
#include "TempStore.h"
#include "registry/RegValues.h"

#include <QElapsedTimer>
#include <QFileInfo>
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
    for (int i = 0; i < 2; ++i) {
        writers[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writers[i].start(STRESS_WRITER, {QString("w%1_").arg(i), QString::number(kCount)});
    }
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(100000));
        EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer.exitCode(), 0) << "a write failed";
    }
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, "Stress", "counter"), DWORD(2 * kCount))
        << "a read-modify-write transaction lost an update";
    for (int i = 0; i < 2; ++i)
        for (int n = 0; n < kCount; ++n)
            ASSERT_EQ(ReadDword(HKEY_CURRENT_USER, "Stress", QString("w%1_%2").arg(i).arg(n)), DWORD(n));
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
        ASSERT_TRUE(WriteAll(regFile, file));
        ASSERT_EQ(SetDword(HKEY_CURRENT_USER, "marker", 1), ERROR_SUCCESS);
        ResetStore(); // close this process's connection so the file's WAL is the importer's alone

        const QString db = store.path(Root::CurrentUser);
        QProcess importer;
        importer.start(TALVEN_REG, {"import", regFile});
        ASSERT_TRUE(importer.waitForStarted());
        // The write-ahead log grows only once the import writes: kill it then, before it commits.
        QElapsedTimer timer;
        timer.start();
        while (importer.state() == QProcess::Running && QFileInfo(db + "-wal").size() == 0 && timer.elapsed() < 60000)
            QThread::usleep(500);
        if (QFileInfo(db + "-wal").size() > 0)
            importer.kill();
        ASSERT_TRUE(importer.waitForFinished(60000));
        killedMidway = importer.exitStatus() == QProcess::CrashExit;

        EXPECT_EQ(Sql(db, "PRAGMA quick_check"), "ok");
        const int values = Sql(db, "SELECT count(*) FROM vals").toInt();
        EXPECT_TRUE(values == 1 || values == 1 + kValues) << values << " values";
    }
    EXPECT_TRUE(killedMidway) << "the importer always finished before it could be killed";
}

} // namespace
