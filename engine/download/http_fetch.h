#pragma once

#include "engine/download/http_response_reader.h"

#include <QByteArray>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>

class QFile;
class QSslSocket;

// One GET of one URL over a connection of its own, with memory and time
// bounded whatever the server does: the socket buffers at most bufferSize
// bytes, the answer is read by HttpResponseReader (head and chunk lines
// capped, no encoded bodies: every request says "Accept-Encoding:
// identity"), and the fetch ends when less than a given number of bytes
// arrives within a stall window. Nothing is shared with another fetch, so
// abandoning one (abort(), or deleting it) never holds up the next.
//
// HTTPS is verified with the request's SSL configuration. Redirects are
// followed up to the request's maximumRedirectsAllowed(), never from HTTPS to
// plain HTTP. The system's proxy applies: a plain-HTTP request goes to an
// HTTP proxy in absolute form (with Basic credentials when the proxy has
// them), HTTPS tunnels through it with CONNECT, SOCKS 5 carries either. A
// file: URL is read from disk, as a 200 or a 404.
//
// Only a 2xx answer's body is delivered; any other final status ends the
// fetch with StatusError right after its head. Lives on the thread that
// created it, driven by its event loop.
class HttpFetch : public QObject
{
    Q_OBJECT

public:
    enum Error {
        NoError,
        NetworkError, // connection, TLS, proxy, redirects, local file
        ProtocolError, // an answer refused by the reader
        StatusError, // a final status other than 2xx
        Truncated, // the connection closed in the middle of the answer
        Stalled, // too little arrived within the stall window
    };

    static constexpr int bufferSize = 64 * 1024;

    explicit HttpFetch(const QNetworkRequest &request, QObject *parent = nullptr);
    ~HttpFetch() override;

    // Ends the fetch when fewer than bytes arrive in any msec window from
    // the start (60 s and 1 KiB unless changed). Set before start().
    void setStallLimit(int msec, qint64 bytes);
    // Begins the request; the outcome arrives with finished().
    void start();
    // Ends the fetch without any further signal.
    void abort();
    bool isRunning() const { return m_running; }

    // The URL answered last (after redirects).
    QUrl url() const { return m_url; }
    int status() const;
    // The server's reason phrase, as plain printable text.
    QString reasonPhrase() const;
    QByteArray rawHeader(const QByteArray &name) const;
    // The body's announced length, or -1.
    qint64 contentLength() const;
    Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }

signals:
    // The head of a 2xx answer is there; its body follows.
    void headReceived();
    void bodyReceived(const QByteArray &data);
    // Once per start(), unless abort() came first.
    void finished();

private:
    void connectToServer();
    void sendRequest();
    void onReadyRead();
    // Hands bytes of the connection to the reader; false once the fetch
    // has ended or moved on to another connection.
    bool consume(const char *data, qint64 size);
    bool onHead();
    void followRedirect(const QByteArray &location);
    void onDisconnected();
    void onStallCheck();
    void readLocalFile();
    void fail(Error error, const QString &message);
    void finish();
    void closeSource();

    QNetworkRequest m_request;
    QUrl m_url;
    QSslSocket *m_socket = nullptr;
    std::unique_ptr<QFile> m_localFile;
    qint64 m_localLength = -1;
    int m_localStatus = 0;
    QNetworkProxy m_forwardingProxy; // an HTTP proxy taking absolute-form requests
    HttpResponseReader m_reader;
    QByteArray m_buffer;
    QByteArray m_body;
    int m_redirects = 0;
    bool m_running = false;
    Error m_error = NoError;
    QString m_errorString;
    QTimer m_stallTimer;
    qint64 m_stallBytes = 1024;
    qint64 m_windowBytes = 0;
};
