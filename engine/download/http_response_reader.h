#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>

// Reads one HTTP/1.x answer to a GET from the bytes of its connection, with
// limits that no server can talk it out of: the head (status line, header
// lines, interim 1xx answers and a chunked body's trailers) holds at most
// headLimit bytes, a chunk-size line at most chunkLineLimit, and a body
// whose length is known never takes a byte beyond it. An encoded answer
// (Content-Encoding or a transfer coding other than chunked) is refused: we
// ask for the file as it is, and an encoded body can inflate without bound.
// Plain input and output, no network.
class HttpResponseReader
{
    Q_DECLARE_TR_FUNCTIONS(HttpResponseReader)

public:
    static constexpr int headLimit = 64 * 1024;
    static constexpr int chunkLineLimit = 1024;

    enum class State { Head, Body, Complete, Failed };

    // Takes bytes from the connection: up to the end of the head (so that the
    // caller can look at it before any of the body), else as many as belong
    // to the answer. Body bytes are appended to *body. Returns how many bytes
    // were taken, or -1 once the answer is refused (error() says why). Bytes
    // left over after a complete answer are more than the server announced.
    qint64 feed(const char *data, qint64 size, QByteArray *body);
    // The connection has closed: completes a body that runs until then.
    // False (with error()) when the answer was cut short.
    bool closeReceived();

    State state() const { return m_state; }
    QString error() const { return m_error; }

    int status() const { return m_status; }
    QByteArray reasonPhrase() const { return m_reason; }
    // The value of a header (several lines of one name joined by ", ").
    QByteArray header(const QByteArray &name) const;
    // The body's announced length, -1 when the connection's end or the
    // chunks tell it.
    qint64 contentLength() const { return m_chunked ? -1 : m_length; }

private:
    enum class Body { Length, Chunked, UntilClose };
    enum class Chunk { SizeLine, Data, DataEnd, Trailers };

    qint64 readHead(const char *data, qint64 size);
    bool takeHeadLine(const QByteArray &line);
    bool endOfHead();
    qint64 readBody(const char *data, qint64 size, QByteArray *body);
    qint64 readChunked(const char *data, qint64 size, QByteArray *body);
    bool takeChunkLine(const QByteArray &line);
    // Collects a line up to "\n" within limit bytes of *budget; returns the
    // bytes taken, -1 when the line outgrows the budget.
    qint64 collectLine(const char *data, qint64 size, qint64 *budget, bool *ended);
    qint64 fail(const QString &error);

    State m_state = State::Head;
    QString m_error;
    QByteArray m_line;
    qint64 m_headBudget = headLimit;
    bool m_statusSeen = false;
    int m_status = 0;
    QByteArray m_reason;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    Body m_body = Body::UntilClose;
    bool m_chunked = false;
    qint64 m_length = -1;
    qint64 m_remaining = 0;
    Chunk m_chunk = Chunk::SizeLine;
};
