// A program that loads one document and ends: prints the completed state, the document element's
// name and the error reason on one line, then returns from main like the utility does.

#include "feeds/XmlDomEventSink.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace std::chrono_literals;
    QCoreApplication application(argc, argv);
    mc::CXmlDomEventSink sink(&application);
    sink.setTimeout(500ms);
    QObject::connect(&sink, &mc::CXmlDomEventSink::readyStateChange,
                     [](int state, std::shared_ptr<const mc::XmlDocument> document) {
                         if (!document)
                             return;
                         std::printf("%d|%s|%s\n", state, qPrintable(document->documentElement().name()),
                                     qPrintable(document->errorReason()));
                         std::fflush(stdout);
                         QCoreApplication::quit();
                     });
    sink.load(application.arguments().value(1));
    return application.exec();
}
