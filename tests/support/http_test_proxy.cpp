#include "support/http_test_proxy.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

HttpTestProxy::HttpTestProxy(QObject *parent)
    : QObject(parent)
{
}

HttpTestProxy::~HttpTestProxy() = default;

bool HttpTestProxy::listen()
{
    auto listener = std::make_unique<QTcpServer>();
    if (!listener->listen(QHostAddress::LocalHost, 0))
        return false;
    connect(listener.get(), &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *client = m_listener->nextPendingConnection())
            accept(client);
    });
    m_listener = std::move(listener);
    return true;
}

quint16 HttpTestProxy::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

QList<QByteArray> HttpTestProxy::requestLines() const
{
    return m_requestLines;
}

void HttpTestProxy::accept(QTcpSocket *client)
{
    client->setParent(this);
    auto buffer = std::make_shared<QByteArray>();
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    // Until the request head is complete; then the connection is a pipe.
    auto reader = std::make_shared<QMetaObject::Connection>();
    *reader = connect(client, &QTcpSocket::readyRead, this, [this, client, buffer, reader] {
        buffer->append(client->readAll());
        const int end = buffer->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        disconnect(*reader);
        open(client, buffer->left(end + 4), buffer->mid(end + 4));
    });
}

void HttpTestProxy::open(QTcpSocket *client, const QByteArray &head, const QByteArray &rest)
{
    const QByteArray requestLine = head.left(head.indexOf("\r\n"));
    m_requestLines.append(requestLine);
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() < 3) {
        client->abort();
        return;
    }
    const bool tunnel = parts[0] == "CONNECT";
    QUrl target = tunnel ? QUrl(QStringLiteral("//") + QString::fromLatin1(parts[1]))
                         : QUrl(QString::fromLatin1(parts[1]));
    const int port = target.port(target.scheme() == QLatin1String("https") ? 443 : 80);

    auto *upstream = new QTcpSocket(client);
    connect(upstream, &QTcpSocket::readyRead, client,
            [client, upstream] { client->write(upstream->readAll()); });
    connect(client, &QTcpSocket::readyRead, upstream,
            [client, upstream] { upstream->write(client->readAll()); });
    connect(upstream, &QTcpSocket::disconnected, client,
            [client] { client->disconnectFromHost(); });
    connect(client, &QTcpSocket::disconnected, upstream,
            [upstream] { upstream->disconnectFromHost(); });
    connect(upstream, &QTcpSocket::errorOccurred, client,
            [client](QAbstractSocket::SocketError) { client->disconnectFromHost(); });

    QByteArray forward;
    if (tunnel) {
        client->write("HTTP/1.1 200 Connection established\r\n\r\n");
    } else {
        // The origin server gets the path form of the request line.
        QByteArray path = target.path(QUrl::FullyEncoded).toLatin1();
        if (path.isEmpty())
            path = "/";
        if (target.hasQuery())
            path += '?' + target.query(QUrl::FullyEncoded).toLatin1();
        forward = parts[0] + ' ' + path + ' ' + parts[2] + head.mid(requestLine.size());
    }
    forward += rest;
    connect(upstream, &QTcpSocket::connected, upstream, [upstream, forward] {
        if (!forward.isEmpty())
            upstream->write(forward);
    });
    upstream->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
}
