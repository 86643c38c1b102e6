#pragma once

#include <QByteArray>
#include <QtGlobal>

class QNetworkRequest;

// What lets the next attempt continue a download that ended early, instead
// of starting from zero: the bytes already on disk and the validator of the
// answer that brought them (its strong ETag, else its Last-Modified). The
// next request asks for the rest with "Range: bytes=N-" and "If-Range", and
// decide() says what to do with the server's answer. Plain inputs, no
// network.
class RangeResume
{
public:
    enum Decision {
        Append, // a 206 for exactly the rest of the same file
        StartOver, // a whole file (200): truncate and take this body from zero
        Refetch, // unusable (416, another file, a wrong range): ask again from zero
    };

    // Remembers how far a download got and what it was downloading. Without
    // a validator (or with an encoded body, whose offsets are not the file's)
    // nothing can be resumed safely and the resume point stays empty.
    void keep(qint64 bytes, const QByteArray &etag, const QByteArray &lastModified,
              const QByteArray &contentEncoding);
    void clear();

    bool canResume() const { return m_bytes > 0 && !validator().isEmpty(); }

    // Adds the Range and If-Range headers when a resume is possible.
    void applyTo(QNetworkRequest &request) const;

    // The answer to a request made with applyTo(): its status and headers.
    Decision decide(int status, const QByteArray &contentRange, const QByteArray &etag,
                    const QByteArray &lastModified) const;

private:
    QByteArray validator() const;

    qint64 m_bytes = 0;
    QByteArray m_etag;
    QByteArray m_lastModified;
};
