#pragma once
// A web server on the loopback interface for feed checks: /feed.xml answers a feed (with the
// channel title of its "title" query item, if any), /page.html an HTML page that is no XML, and
// /slow-feed.xml a feed after kSlowMs.

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

    QString Url(const QString& pathAndQuery) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(pathAndQuery);
    }
    QString Base() const { return Url(QString()); }

private:
    static void Answer(QTcpSocket* socket)
    {
        const QByteArray request = socket->readAll();
        const QUrl target(QString::fromLatin1(request.split(' ').value(1)));
        const QString title = QUrlQuery(target).queryItemValue(QStringLiteral("title"), QUrl::FullyDecoded);
        QByteArray body = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>" + title.toUtf8() +
                          "</title><link>http://channel/</link><item><title>One</title></item></channel></rss>";
        QByteArray type = "application/rss+xml";
        if (target.path() == u"/page.html") {
            body = "<!DOCTYPE html><html><body><p>No feed here<br></body></html>";
            type = "text/html";
        }
        const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " +
                                 QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        const int delay = target.path() == u"/slow-feed.xml" ? kSlowMs : 0;
        QTimer::singleShot(delay, socket, [socket, reply] {
            socket->write(reply);
            socket->disconnectFromHost();
        });
    }
};
