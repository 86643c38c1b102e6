#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QUrl>

#include <memory>

class QTcpServer;
class QTemporaryDir;

// A small HTTP/1.1 server for tests and benchmarks, listening on 127.0.0.1
// at a port the system chooses, plain or with TLS. It answers GET requests
// from a table of responses by path; every answer closes its connection.
// Large files are streamed from disk in chunks, so a benchmark can serve
// gigabytes without holding them in memory. Runs on the thread that creates
// it, driven by that thread's event loop.
//
//     HttpTestServer server;
//     QVERIFY(server.listen());
//     server.serveData("/package.zip", bytes);
//     HttpTestServer::Response flaky;
//     flaky.body = bytes;
//     flaky.failFirst = 2;                  // two 500s, then the body
//     server.setResponse("/flaky.zip", flaky);
//     download(server.url("/package.zip"));
//     QCOMPARE(server.requestCount("/flaky.zip"), 3);
class HttpTestServer : public QObject
{
    Q_OBJECT

public:
    struct Response
    {
        int status = 200;
        QByteArray body; // served when filePath is empty
        QString filePath; // streamed from disk instead of body
        bool sendLength = true; // Content-Length; without it the body ends with the connection
        bool chunked = false; // Transfer-Encoding: chunked (no Content-Length)
        QByteArray location; // Location header, for redirects
        qint64 cutAfter = -1; // close the connection after this many body bytes...
        int cutRequests = -1; // ...in the first N requests of this path (-1: in all)
        qint64 stallAfter = -1; // send this many body bytes, then nothing, keeping the connection
        int failFirst = 0; // the first N requests of this path fail...
        int failStatus = 500; // ...with this status, or with no answer at all when 0
        QList<QPair<QByteArray, QByteArray>> headers; // extra header lines
        // Resumable downloads: "Range: bytes=N-" gets a 206 with the rest
        // when acceptRanges is set (a 416 past the end). The validator is
        // sent as ETag; with changingEtag it differs in every answer, and an
        // If-Range naming another one gets the whole body (unless
        // honourIfRange is off, as on a broken server).
        bool acceptRanges = false;
        QByteArray etag;
        bool changingEtag = false;
        bool honourIfRange = true;
        qint64 bytesPerSecond = 0; // pace the body like a link of this speed (0: at once)
        // A hostile server: after the status line, a header line of this many
        // bytes that never ends (the connection then stays open, silent).
        qint64 headerFlood = -1;
    };

    explicit HttpTestServer(QObject *parent = nullptr);
    ~HttpTestServer() override;

    // Plain HTTP on 127.0.0.1:0.
    bool listen();
    // HTTPS on 127.0.0.1:0 with a PEM certificate and (RSA) private key.
    // Under Wine the TLS end is tls_relay.py on the build machine, in front
    // of this server listening plain: Wine's Schannel cannot serve TLS.
    bool listenTls(const QString &certificatePath, const QString &keyPath);
    // The port clients connect to.
    quint16 port() const;
    // http(s)://127.0.0.1:<port><path>
    QUrl url(const QString &path) const;

    void setResponse(const QString &path, const Response &response);
    void serveData(const QString &path, const QByteArray &body);
    void serveFile(const QString &path, const QString &filePath);
    void redirect(const QString &path, const QByteArray &location, int status = 302);

    // Requests seen for path (paths without a table entry are answered 404).
    int requestCount(const QString &path) const;
    // The head (request line and header lines) of the latest request for path.
    QByteArray lastRequestHead(const QString &path) const;
    // The heads of every request for path, in order.
    QList<QByteArray> requestHeads(const QString &path) const;
    // Body bytes sent for path over all requests.
    qint64 bytesServed(const QString &path) const;

private:
    struct Connection;
    void accept(qintptr descriptor);
    void onReadable(Connection *connection);
    void answer(Connection *connection, const QByteArray &head);
    void pump(Connection *connection);
    void finish(Connection *connection);
    bool startTlsRelay(const QString &certificatePath, const QString &keyPath);

    std::unique_ptr<QTcpServer> m_listener;
    bool m_tls = false;
    std::unique_ptr<QTemporaryDir> m_relayFolder; // while it exists, the relay runs
    quint16 m_relayPort = 0;
    QSslCertificate m_certificate;
    QSslKey m_key;
    QHash<QString, Response> m_responses;
    QHash<QString, int> m_requestCounts;
    QHash<QString, QList<QByteArray>> m_heads;
    QHash<QString, qint64> m_bytesServed;
    QSet<Connection *> m_connections;
};
