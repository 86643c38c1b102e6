#include "engine/download/http_fetch.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkProxyFactory>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>

namespace {

const int defaultStallWindow = 60 * 1000;
const int reasonPhraseLimit = 200;

bool isHttps(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

bool isHttp(const QUrl &url)
{
    return isHttps(url) || url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
}

// The first proxy of the system's list for url that a plain connection can
// use: the desktop's settings, on Linux the http_proxy/https_proxy/no_proxy
// environment variables. A caching proxy only forwards plain HTTP.
QNetworkProxy systemProxy(const QUrl &url)
{
    const QList<QNetworkProxy> proxies
        = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
    for (const QNetworkProxy &proxy : proxies) {
        switch (proxy.type()) {
        case QNetworkProxy::NoProxy:
        case QNetworkProxy::HttpProxy:
        case QNetworkProxy::Socks5Proxy:
            return proxy;
        case QNetworkProxy::HttpCachingProxy:
            if (!isHttps(url))
                return proxy;
            break;
        default:
            break;
        }
    }
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

QByteArray basicCredentials(const QString &user, const QString &password)
{
    return "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A header value that cannot end the line it is written on.
bool isSafeValue(const QByteArray &value)
{
    for (const char c : value) {
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
    }
    return true;
}

} // namespace

HttpFetch::HttpFetch(const QNetworkRequest &request, QObject *parent)
    : QObject(parent)
    , m_request(request)
    , m_url(request.url())
{
    m_buffer.resize(bufferSize);
    // Kept across chunks: allocating 64 KiB for each would cost more than
    // the transfer.
    m_body.reserve(bufferSize);
    m_stallTimer.setInterval(defaultStallWindow);
    connect(&m_stallTimer, &QTimer::timeout, this, &HttpFetch::onStallCheck);
}

HttpFetch::~HttpFetch()
{
    abort();
}

void HttpFetch::setStallLimit(int msec, qint64 bytes)
{
    m_stallTimer.setInterval(msec);
    m_stallBytes = bytes;
}

void HttpFetch::start()
{
    if (m_running)
        return;
    m_running = true;
    m_error = NoError;
    m_errorString.clear();
    m_redirects = 0;
    m_url = m_request.url();
    m_windowBytes = 0;
    m_stallTimer.start();
    connectToServer();
}

void HttpFetch::abort()
{
    m_running = false;
    m_stallTimer.stop();
    closeSource();
}

int HttpFetch::status() const
{
    return m_localStatus != 0 ? m_localStatus : m_reader.status();
}

QString HttpFetch::reasonPhrase() const
{
    if (m_localStatus != 0)
        return m_localStatus == 200 ? QStringLiteral("OK") : QStringLiteral("Not Found");
    QString reason = QString::fromLatin1(m_reader.reasonPhrase().left(reasonPhraseLimit));
    for (QChar &c : reason) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return reason;
}

QByteArray HttpFetch::rawHeader(const QByteArray &name) const
{
    return m_reader.header(name);
}

qint64 HttpFetch::contentLength() const
{
    return m_localStatus != 0 ? m_localLength : m_reader.contentLength();
}

void HttpFetch::connectToServer()
{
    closeSource();
    m_reader = HttpResponseReader();
    m_localStatus = 0;
    m_localLength = -1;
    if (m_url.isLocalFile()) {
        QMetaObject::invokeMethod(this, &HttpFetch::readLocalFile, Qt::QueuedConnection);
        return;
    }
    if (!isHttp(m_url) || m_url.host().isEmpty()) {
        // Reported from the event loop, like every other outcome.
        const QString address = m_url.toDisplayString(QUrl::RemoveUserInfo);
        QMetaObject::invokeMethod(
            this,
            [this, address] {
                fail(NetworkError,
                     tr("The download address is not an HTTP or HTTPS address: %1").arg(address));
            },
            Qt::QueuedConnection);
        return;
    }

    const bool tls = isHttps(m_url);
    m_socket = new QSslSocket(this);
    m_socket->setReadBufferSize(bufferSize);
    connect(m_socket, &QSslSocket::connected, this, [this, tls] {
        if (!tls)
            sendRequest();
    });
    connect(m_socket, &QSslSocket::encrypted, this, &HttpFetch::sendRequest);
    connect(m_socket, &QSslSocket::readyRead, this, &HttpFetch::onReadyRead);
    connect(m_socket, &QSslSocket::disconnected, this, &HttpFetch::onDisconnected);
    connect(m_socket, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError code) {
        if (code == QAbstractSocket::RemoteHostClosedError)
            onDisconnected();
        else if (m_running && m_socket)
            fail(NetworkError, m_socket->errorString());
    });

    const QNetworkProxy proxy = systemProxy(m_url);
    m_forwardingProxy = QNetworkProxy(QNetworkProxy::NoProxy);
    const bool forwarding = !tls
        && (proxy.type() == QNetworkProxy::HttpProxy
            || proxy.type() == QNetworkProxy::HttpCachingProxy);
    if (forwarding) {
        m_forwardingProxy = proxy;
        m_socket->setProxy(QNetworkProxy::NoProxy);
        m_socket->connectToHost(proxy.hostName(), proxy.port());
        return;
    }
    // No proxy, a CONNECT tunnel or SOCKS: the socket's own business.
    m_socket->setProxy(proxy);
    const quint16 port = quint16(m_url.port(tls ? 443 : 80));
    if (tls) {
        m_socket->setSslConfiguration(m_request.sslConfiguration());
        m_socket->connectToHostEncrypted(m_url.host(), port);
    } else {
        m_socket->connectToHost(m_url.host(), port);
    }
}

void HttpFetch::sendRequest()
{
    const bool forwarding = m_forwardingProxy.type() != QNetworkProxy::NoProxy;
    QByteArray target;
    if (forwarding) {
        target = m_url.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    } else {
        target = m_url.path(QUrl::FullyEncoded).toLatin1();
        if (m_url.hasQuery())
            target += '?' + m_url.query(QUrl::FullyEncoded).toLatin1();
    }
    if (target.isEmpty())
        target = "/";
    QByteArray host = m_url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (m_url.port() != -1)
        host += ':' + QByteArray::number(m_url.port());

    QByteArray head = "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    // Every answer is wanted as it is: an encoded one could inflate without
    // bound, and offsets of a resumed download count the file's own bytes.
    head += "Accept-Encoding: identity\r\nConnection: close\r\n";
    const QList<QByteArray> names = m_request.rawHeaderList();
    for (const QByteArray &name : names) {
        const QByteArray lower = name.toLower();
        const QByteArray value = m_request.rawHeader(name);
        if (lower == "host" || lower == "accept-encoding" || lower == "connection"
            || !isSafeValue(name + value))
            continue;
        head += name + ": " + value + "\r\n";
    }
    if (!m_url.userName().isEmpty())
        head += "Authorization: " + basicCredentials(m_url.userName(), m_url.password()) + "\r\n";
    if (forwarding && !m_forwardingProxy.user().isEmpty())
        head += "Proxy-Authorization: "
            + basicCredentials(m_forwardingProxy.user(), m_forwardingProxy.password()) + "\r\n";
    head += "\r\n";
    m_socket->write(head);
}

void HttpFetch::onReadyRead()
{
    while (m_running && m_socket && m_socket->bytesAvailable() > 0) {
        const qint64 length = m_socket->read(m_buffer.data(), bufferSize);
        if (length <= 0)
            break;
        m_windowBytes += length;
        if (!consume(m_buffer.constData(), length))
            return;
    }
}

bool HttpFetch::consume(const char *data, qint64 size)
{
    const QPointer<HttpFetch> self(this);
    qint64 offset = 0;
    while (offset < size) {
        const bool inHead = m_reader.state() == HttpResponseReader::State::Head;
        m_body.resize(0);
        const qint64 taken = m_reader.feed(data + offset, size - offset, &m_body);
        if (taken < 0) {
            fail(ProtocolError, m_reader.error());
            return false;
        }
        offset += taken;
        if (inHead && m_reader.state() != HttpResponseReader::State::Head && !onHead())
            return false;
        if (!m_body.isEmpty()) {
            emit bodyReceived(m_body);
            if (!self || !m_running)
                return false;
        }
        // Bytes beyond a complete answer are refused by the next feed().
        if (m_reader.state() == HttpResponseReader::State::Complete && offset == size) {
            m_error = NoError;
            finish();
            return false;
        }
    }
    return true;
}

bool HttpFetch::onHead()
{
    const int code = m_reader.status();
    const QByteArray location = m_reader.header("location");
    if (isRedirect(code) && !location.isEmpty()) {
        followRedirect(location);
        return false;
    }
    if (code < 200 || code > 299) {
        fail(StatusError, QStringLiteral("HTTP %1 %2").arg(code).arg(reasonPhrase()));
        return false;
    }
    const QPointer<HttpFetch> self(this);
    emit headReceived();
    return self && m_running;
}

void HttpFetch::followRedirect(const QByteArray &location)
{
    const QUrl next = m_url.resolved(QUrl::fromEncoded(location));
    if (++m_redirects > m_request.maximumRedirectsAllowed()) {
        fail(NetworkError, tr("The server redirected the download too many times."));
        return;
    }
    // Never from the network to a local file.
    if (!isHttp(next)) {
        fail(NetworkError,
             tr("The download address is not an HTTP or HTTPS address: %1")
                 .arg(next.toDisplayString(QUrl::RemoveUserInfo)));
        return;
    }
    if (isHttps(m_url) && !isHttps(next)) {
        fail(NetworkError,
             tr("The server redirected the download from HTTPS to an insecure address, which is "
                "refused."));
        return;
    }
    m_url = next;
    connectToServer();
}

void HttpFetch::onDisconnected()
{
    if (!m_running || !m_socket)
        return;
    // What arrived before the end is still to be read.
    onReadyRead();
    if (!m_running)
        return;
    if (m_reader.closeReceived()) {
        m_error = NoError;
        finish();
    } else {
        fail(Truncated, m_reader.error());
    }
}

void HttpFetch::onStallCheck()
{
    if (m_windowBytes < m_stallBytes) {
        const int seconds = (m_stallTimer.interval() + 999) / 1000;
        fail(Stalled,
             tr("The download stalled: less than %1 bytes arrived in %2 seconds.")
                 .arg(m_stallBytes)
                 .arg(seconds));
        return;
    }
    m_windowBytes = 0;
}

void HttpFetch::readLocalFile()
{
    if (!m_running)
        return;
    const QPointer<HttpFetch> self(this);
    if (!m_localFile) {
        m_localFile.reset(new QFile(m_url.toLocalFile()));
        m_windowBytes = m_stallBytes; // a local file never stalls
        m_stallTimer.stop();
        if (!QFileInfo(m_localFile->fileName()).isFile()
            || !m_localFile->open(QIODevice::ReadOnly)) {
            m_localStatus = 404;
            fail(StatusError,
                 m_localFile->fileName() + QStringLiteral(": ") + m_localFile->errorString());
            return;
        }
        m_localStatus = 200;
        m_localLength = m_localFile->size();
        emit headReceived();
        if (!self || !m_running)
            return;
    }
    const qint64 length = m_localFile->read(m_buffer.data(), bufferSize);
    if (length < 0) {
        fail(NetworkError, m_localFile->errorString());
        return;
    }
    if (length == 0) {
        m_error = NoError;
        finish();
        return;
    }
    m_body.resize(0);
    m_body.append(m_buffer.constData(), int(length));
    emit bodyReceived(m_body);
    if (self && m_running)
        QMetaObject::invokeMethod(this, &HttpFetch::readLocalFile, Qt::QueuedConnection);
}

void HttpFetch::fail(Error error, const QString &message)
{
    m_error = error;
    m_errorString = message;
    finish();
}

void HttpFetch::finish()
{
    if (!m_running)
        return;
    m_running = false;
    m_stallTimer.stop();
    closeSource();
    emit finished();
}

void HttpFetch::closeSource()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        // Deferred: this may run inside one of the socket's own signals.
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    if (m_localFile) {
        m_localFile->close();
        m_localFile.reset();
    }
}
