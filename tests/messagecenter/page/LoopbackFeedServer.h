#pragma once
// A web server on the loopback interface: /page.html answers an HTML page that is no XML, any
// other path a feed titled by its "title" query item; /slow-feed.xml answers after kSlowMs.

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

class LoopbackFeedServer : public QTcpServer {
public:
    static constexpr int kSlowMs = 400;

    LoopbackFeedServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { Answer(socket); });
        });
    }

    QString Url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path); }

private:
    static void Answer(QTcpSocket* socket)
    {
        const QUrl target(QString::fromLatin1(socket->readAll().split(' ').value(1)));
        QByteArray body = "<rss version=\"2.0\"><channel><title>" + QUrlQuery(target).queryItemValue("title").toUtf8() +
                          "</title><link>http://channel/</link></channel></rss>";
        if (target.path() == u"/page.html")
            body = "<!DOCTYPE html><html><body><p>No feed<br></body></html>";
        const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                                 "\r\nConnection: close\r\n\r\n" + body;
        QTimer::singleShot(target.path() == u"/slow-feed.xml" ? kSlowMs : 0, socket, [socket, reply] {
            socket->write(reply);
            socket->disconnectFromHost();
        });
    }
};
