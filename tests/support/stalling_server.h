#pragma once

#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A loopback server that takes connections and never answers them, so that
// a download stays in flight for as long as a test needs it to.
class StallingServer : public QTcpServer
{
public:
    explicit StallingServer(QObject *parent = nullptr);

    // http://127.0.0.1:<port>/<fileName>
    QUrl url(const QString &fileName) const;
    int connectionCount() const { return m_connections.size(); }

private:
    QList<QTcpSocket *> m_connections;
};
