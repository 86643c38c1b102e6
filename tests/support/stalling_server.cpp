#include "support/stalling_server.h"

StallingServer::StallingServer(QObject *parent)
    : QTcpServer(parent)
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection())
            m_connections << socket;
    });
    listen(QHostAddress::LocalHost);
}

QUrl StallingServer::url(const QString &fileName) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(fileName));
}
