#include "support/http_test_server.h"
#include "support/test_files.h"
#include "support/wine_host.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <functional>

namespace {

const qint64 chunkSize = 256 * 1024;
// Refill the socket only below this much unsent data, so memory stays small
// however large the served file is.
const qint64 lowWater = 1024 * 1024;

// QTcpServer would wrap every connection in a plain QTcpSocket; the server
// wants QSslSocket (which is plain TCP until encryption starts) instead.
class Listener : public QTcpServer
{
public:
    std::function<void(qintptr)> onConnection;

protected:
    void incomingConnection(qintptr descriptor) override { onConnection(descriptor); }
};

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// The value of header name in a request head, or empty.
QByteArray headerValue(const QByteArray &head, const QByteArray &name)
{
    const QList<QByteArray> lines = head.split('\n');
    for (const QByteArray &line : lines) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

} // namespace

struct HttpTestServer::Connection
{
    QSslSocket *socket = nullptr;
    QString path;
    qint64 offset = 0; // where the body starts in the file (a range)
    bool cut = false;
    QByteArray request;
    bool answering = false;
    Response response;
    std::unique_ptr<QFile> file;
    qint64 bodySize = 0;
    qint64 sent = 0;
    bool stalled = false;
    bool flood = false; // the "body" is an endless header line
    QElapsedTimer clock; // since the answer began, for a paced body
    bool paceTimerPending = false;
};

HttpTestServer::HttpTestServer(QObject *parent)
    : QObject(parent)
{
}

HttpTestServer::~HttpTestServer()
{
    m_relayFolder.reset(); // the relay ends within a moment
    // Connections still open (a stalled answer, say) go with the server; their
    // sockets must not report back into a half-destroyed server.
    for (Connection *connection : qAsConst(m_connections)) {
        connection->socket->disconnect(this);
        connection->socket->abort();
        delete connection->socket;
        delete connection;
    }
}

bool HttpTestServer::listen()
{
    auto listener = std::make_unique<Listener>();
    listener->onConnection = [this](qintptr descriptor) { accept(descriptor); };
    if (!listener->listen(QHostAddress::LocalHost, 0))
        return false;
    m_listener = std::move(listener);
    return true;
}

bool HttpTestServer::listenTls(const QString &certificatePath, const QString &keyPath)
{
    m_certificate = QSslCertificate(TestFiles::readFile(certificatePath), QSsl::Pem);
    m_key = QSslKey(TestFiles::readFile(keyPath), QSsl::Rsa, QSsl::Pem);
    if (m_certificate.isNull() || m_key.isNull())
        return false;
#ifdef Q_OS_WIN
    return listen() && startTlsRelay(certificatePath, keyPath);
#else
    m_tls = true;
    return listen();
#endif
}

bool HttpTestServer::startTlsRelay(const QString &certificatePath, const QString &keyPath)
{
    m_relayFolder = std::make_unique<QTemporaryDir>();
    const QString alive = m_relayFolder->filePath(QStringLiteral("alive"));
    const QString portFile = m_relayFolder->filePath(QStringLiteral("port"));
    if (!m_relayFolder->isValid() || !TestFiles::writeFile(alive, QByteArray()))
        return false;
    const QString relay = qEnvironmentVariable("INSTALLER_SOURCE_DIR")
        + QStringLiteral("/tests/support/tls_relay.py");
    if (!wine_host::startDetached(QStringLiteral("/usr/bin/python3"),
                                  { relay, certificatePath, keyPath,
                                    QString::number(m_listener->serverPort()), portFile, alive }))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(portFile) && waited.elapsed() < 20000)
        QThread::msleep(20);
    m_relayPort = TestFiles::readFile(portFile).trimmed().toUShort();
    m_tls = m_relayPort != 0;
    return m_tls;
}

quint16 HttpTestServer::port() const
{
    if (m_relayPort != 0)
        return m_relayPort;
    return m_listener ? m_listener->serverPort() : 0;
}

QUrl HttpTestServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3")
                    .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
                    .arg(port())
                    .arg(path));
}

void HttpTestServer::setResponse(const QString &path, const Response &response)
{
    m_responses.insert(path, response);
}

void HttpTestServer::serveData(const QString &path, const QByteArray &body)
{
    Response response;
    response.body = body;
    setResponse(path, response);
}

void HttpTestServer::serveFile(const QString &path, const QString &filePath)
{
    Response response;
    response.filePath = filePath;
    setResponse(path, response);
}

void HttpTestServer::redirect(const QString &path, const QByteArray &location, int status)
{
    Response response;
    response.status = status;
    response.location = location;
    setResponse(path, response);
}

int HttpTestServer::requestCount(const QString &path) const
{
    return m_requestCounts.value(path);
}

QByteArray HttpTestServer::lastRequestHead(const QString &path) const
{
    return m_heads.value(path).value(m_heads.value(path).size() - 1);
}

QList<QByteArray> HttpTestServer::requestHeads(const QString &path) const
{
    return m_heads.value(path);
}

qint64 HttpTestServer::bytesServed(const QString &path) const
{
    return m_bytesServed.value(path);
}

void HttpTestServer::accept(qintptr descriptor)
{
    auto *connection = new Connection;
    connection->socket = new QSslSocket(this);
    if (!connection->socket->setSocketDescriptor(descriptor)) {
        delete connection->socket;
        delete connection;
        return;
    }
    QSslSocket *socket = connection->socket;
    connect(socket, &QSslSocket::readyRead, this, [this, connection] { onReadable(connection); });
    connect(socket, &QSslSocket::bytesWritten, this, [this, connection] { pump(connection); });
    m_connections.insert(connection);
    connect(socket, &QSslSocket::disconnected, this, [this, connection] {
        m_connections.remove(connection);
        connection->socket->disconnect(this);
        connection->socket->deleteLater();
        delete connection;
    });
    // A failed handshake (a client that does not trust us) just ends.
    connect(socket, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), socket,
            [](const QList<QSslError> &) {});
    if (m_tls && m_relayPort == 0) { // behind the relay the bytes come plain
        socket->setLocalCertificate(m_certificate);
        socket->setPrivateKey(m_key);
        socket->startServerEncryption();
    }
}

void HttpTestServer::onReadable(Connection *connection)
{
    connection->request += connection->socket->readAll();
    if (connection->answering)
        return;
    const int end = connection->request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    connection->answering = true;
    answer(connection, connection->request.left(end));
}

void HttpTestServer::answer(Connection *connection, const QByteArray &head)
{
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    QString path = requestLine.value(1).isEmpty() ? QStringLiteral("/")
                                                  : QString::fromUtf8(requestLine.value(1));
    // A request through a proxy may carry the whole URL.
    if (path.startsWith(QLatin1String("http"))) {
        const QUrl absolute(path);
        path = absolute.path()
            + (absolute.hasQuery() ? QLatin1Char('?') + absolute.query() : QString());
    }
    const int count = ++m_requestCounts[path];
    m_heads[path].append(head);
    connection->path = path;

    QSslSocket *socket = connection->socket;
    if (!m_responses.contains(path)) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    const Response &response = m_responses[path];
    if (count <= response.failFirst) {
        if (response.failStatus == 0) {
            socket->abort();
            return;
        }
        const QByteArray text = "failure " + QByteArray::number(count);
        socket->write("HTTP/1.1 " + QByteArray::number(response.failStatus) + ' '
                      + reasonPhrase(response.failStatus)
                      + "\r\nContent-Type: text/plain\r\nContent-Length: "
                      + QByteArray::number(text.size()) + "\r\nConnection: close\r\n\r\n" + text);
        socket->disconnectFromHost();
        return;
    }

    connection->response = response;
    if (response.headerFlood >= 0) {
        socket->write("HTTP/1.1 200 OK\r\nX-Flood: ");
        connection->flood = true;
        connection->bodySize = response.headerFlood;
        pump(connection);
        return;
    }
    connection->cut = response.cutAfter >= 0
        && (response.cutRequests < 0 || count - response.failFirst <= response.cutRequests);
    if (!response.filePath.isEmpty()) {
        connection->file = std::make_unique<QFile>(response.filePath);
        if (!connection->file->open(QIODevice::ReadOnly)) {
            socket->write("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n"
                          "Connection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        connection->bodySize = connection->file->size();
    } else {
        connection->bodySize = response.body.size();
    }

    const QByteArray etag = response.changingEtag
        ? '"' + QByteArray(response.etag).replace('"', "") + '-' + QByteArray::number(count) + '"'
        : response.etag;
    int status = response.status;
    QByteArray contentRange;
    static const QRegularExpression rangePattern(QStringLiteral("^bytes=(\\d+)-$"));
    const QRegularExpressionMatch range
        = rangePattern.match(QString::fromLatin1(headerValue(head, "Range")));
    const QByteArray ifRange = headerValue(head, "If-Range");
    const bool sameFile = ifRange.isEmpty() || ifRange == etag || !response.honourIfRange;
    if (response.acceptRanges && range.hasMatch() && sameFile) {
        const qint64 first = range.captured(1).toLongLong();
        if (first >= connection->bodySize) {
            socket->write("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */"
                          + QByteArray::number(connection->bodySize)
                          + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        status = 206;
        contentRange = "bytes " + QByteArray::number(first) + '-'
            + QByteArray::number(connection->bodySize - 1) + '/'
            + QByteArray::number(connection->bodySize);
        connection->offset = first;
        connection->bodySize -= first;
        if (connection->file)
            connection->file->seek(first);
    }

    QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status)
        + "\r\nContent-Type: application/octet-stream\r\n";
    if (!contentRange.isEmpty())
        reply += "Content-Range: " + contentRange + "\r\n";
    if (!etag.isEmpty())
        reply += "ETag: " + etag + "\r\n";
    if (response.acceptRanges)
        reply += "Accept-Ranges: bytes\r\n";
    if (response.chunked)
        reply += "Transfer-Encoding: chunked\r\n";
    else if (response.sendLength)
        reply += "Content-Length: " + QByteArray::number(connection->bodySize) + "\r\n";
    if (!response.location.isEmpty())
        reply += "Location: " + response.location + "\r\n";
    for (const auto &header : response.headers)
        reply += header.first + ": " + header.second + "\r\n";
    reply += "Connection: close\r\n\r\n";
    socket->write(reply);
    connection->clock.start();
    pump(connection);
}

void HttpTestServer::pump(Connection *connection)
{
    if (!connection->answering || connection->stalled || !connection->socket->isOpen())
        return;
    QSslSocket *socket = connection->socket;
    const Response &response = connection->response;
    while (socket->bytesToWrite() < lowWater && connection->sent < connection->bodySize) {
        qint64 length = qMin(chunkSize, connection->bodySize - connection->sent);
        if (connection->cut)
            length = qMin(length, response.cutAfter - connection->sent);
        if (response.stallAfter >= 0)
            length = qMin(length, response.stallAfter - connection->sent);
        if (response.bytesPerSecond > 0) {
            const qint64 due = connection->clock.elapsed() * response.bytesPerSecond / 1000;
            length = qMin(length, due - connection->sent);
            if (length <= 0 && !connection->paceTimerPending) {
                connection->paceTimerPending = true;
                QTimer::singleShot(2, this, [this, connection] {
                    if (!m_connections.contains(connection))
                        return;
                    connection->paceTimerPending = false;
                    pump(connection);
                });
            }
        }
        if (length <= 0)
            break;
        const QByteArray data = connection->flood ? QByteArray(int(length), 'a')
            : connection->file
            ? connection->file->read(length)
            : response.body.mid(static_cast<int>(connection->offset + connection->sent),
                                static_cast<int>(length));
        if (data.isEmpty())
            break;
        if (response.chunked)
            socket->write(QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n");
        else
            socket->write(data);
        connection->sent += data.size();
        m_bytesServed[connection->path] += data.size();
    }
    if (connection->flood && connection->sent >= connection->bodySize) {
        connection->stalled = true;
        return;
    }
    if (response.stallAfter >= 0 && connection->sent >= response.stallAfter
        && connection->sent < connection->bodySize) {
        connection->stalled = true;
        return;
    }
    if (connection->cut && connection->sent >= response.cutAfter
        && connection->sent < connection->bodySize) {
        finish(connection);
        return;
    }
    if (connection->sent >= connection->bodySize) {
        if (response.chunked)
            socket->write("0\r\n\r\n");
        finish(connection);
    }
}

void HttpTestServer::finish(Connection *connection)
{
    // disconnectFromHost sends what is queued, then closes; nothing more is
    // pumped or answered on this connection.
    connection->stalled = true;
    connection->socket->disconnectFromHost();
}
