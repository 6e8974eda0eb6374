#include "ClientFixture.h"
#include "GuiTest.h"
#include "SaveLists.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace fixture;

namespace {

QString Dump() { return Export(kUserDefined) + Export(kData); }

// A save killed at any moment leaves the store holding the one list or the other, never a mix.
// QL_KILLS sets the number of kills (30 by default).
TEST(KilledSave, StoreHoldsOneWholeList)
{
    GuiEnvironment env;
    PutClient(std::nullopt);
    // Each list as a save leaves it after the other one.
    QString dumps[2];
    for (int index : {0, 1, 0, 1}) {
        ASSERT_FALSE(ql::SaveItemList(savelists::List(index)).Failed());
        dumps[index] = Dump();
    }
    ASSERT_NE(dumps[0], dumps[1]);
    const int kills = qEnvironmentVariableIsSet("QL_KILLS") ? qEnvironmentVariableIntValue("QL_KILLS") : 30;
    int held[2] = {};
    QRandomGenerator random(20240611);
    for (int kill = 0; kill < kills; ++kill) {
        QProcess worker;
        worker.start(QStringLiteral(SAVE_WORKER), {});
        ASSERT_TRUE(worker.waitForStarted());
        QThread::usleep(random.bounded(2000, 40000));
        ::kill(pid_t(worker.processId()), SIGKILL);
        worker.waitForFinished();
        const QString dump = Dump();
        ASSERT_TRUE(dump == dumps[0] || dump == dumps[1]) << "kill " << kill << " left a mix:\n" << qPrintable(dump);
        ++held[dump == dumps[1]];
    }
    std::printf("kills %d: first list %d, second list %d, mix 0\n", kills, held[0], held[1]);
}

} // namespace
