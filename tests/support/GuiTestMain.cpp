// main() of the test programs that need an event loop or widgets: one QApplication for all tests
// (offscreen unless a platform was chosen), no proxy for the servers on loopback, and a runtime
// folder of the test process's own, which keeps its sockets and locks apart from a running
// utility's.
#include <QApplication>
#include <QFile>
#include <QNetworkProxy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication application(argc, argv);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
