#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

#include <memory>

class QTcpServer;
class QTcpSocket;

// A forwarding HTTP proxy for tests, listening on 127.0.0.1 at a port the
// system chooses. It understands both forms a client uses: "GET http://host:port/path"
// for plain HTTP and "CONNECT host:port" (a tunnel) for HTTPS. Whatever host a
// request names, the proxy connects to 127.0.0.1 at the named port, so tests
// can use made-up host names that never reach a name server.
//
//     HttpTestProxy proxy;
//     QVERIFY(proxy.listen());
//     qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(proxy.port()));
//     ... QCOMPARE(proxy.requestLines().size(), 1);
class HttpTestProxy : public QObject
{
    Q_OBJECT

public:
    explicit HttpTestProxy(QObject *parent = nullptr);
    ~HttpTestProxy() override;

    bool listen();
    quint16 port() const;
    // The first line of every request the proxy received, in order.
    QList<QByteArray> requestLines() const;

private:
    void accept(QTcpSocket *client);
    void open(QTcpSocket *client, const QByteArray &head, const QByteArray &rest);

    std::unique_ptr<QTcpServer> m_listener;
    QList<QByteArray> m_requestLines;
};
