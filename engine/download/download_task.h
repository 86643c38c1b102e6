#pragma once

#include "engine/download/range_resume.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class HttpFetch;
class PackageDigest;
class PackageTrust;
class QFile;
class QNetworkRequest;
class QUrl;
class SignatureFetch;

// Fetches one file (the product package) over HTTP or HTTPS into a local
// file: the body streams into filePath + ".tmp", which is renamed to filePath
// once the transfer is complete and has passed the checks the publisher asked
// for (SHA-256, minisign signature). A failed attempt is retried, three
// attempts for each mirror (url may list several, comma-separated), and one
// done() reports the result. An attempt that ended early is continued by the
// next one with a Range request where the server allows it. A package that
// fails a check moves on to the next mirror at once: asking the same one
// again brings the same file. Lives on the GUI thread.
//
// Every attempt has a connection of its own (HttpFetch) and a time limit of
// its own, and ends when too little arrives for a while, so that whatever a
// server does, the download ends within the limits its log states. HTTPS
// servers are checked against the trusted authorities of the default SSL
// configuration (the system's), with TLS 1.2 or newer; redirects are
// followed except from HTTPS to HTTP; the system's proxy settings apply.
class DownloadTask : public QObject
{
    Q_OBJECT

public:
    DownloadTask(const QString &url, const QString &filePath, QObject *parent = nullptr);
    ~DownloadTask() override;

    // Begins a download with a fresh budget of three attempts; does nothing
    // while an attempt is in flight.
    void start();
    // Drops the attempt in flight without any signal; its partial ".tmp" file
    // stays on disk.
    void cancel();

    // An attempt during which less than 1 KiB arrives in this long fails
    // (60 seconds unless changed).
    void setStallTimeout(int msec);
    // The limit on each attempt (20 minutes unless changed); an attempt in
    // flight gets it from now.
    void setTimeLimit(int msec);

    // The package's expected SHA-256 (64 hex digits) and the minisign public
    // keys it must be signed with (comma-separated); empty texts ask for
    // nothing. A signature is fetched from each mirror beside its package;
    // where its trusted comment names a file, product or version, they must
    // be the URL's file name, productName and productVersion.
    void setPackageChecks(const QString &sha256Hex, const QString &publicKeys,
                          const QString &productName = QString(),
                          const QString &productVersion = QString());

signals:
    void progress(qint64 bytes_received, qint64 bytes_total);
    void done(int error, const QString &message);
    // One line for the installation log per attempt begun and ended: mirror,
    // URL, HTTP status, bytes and time taken, and the limits that apply. Not
    // shown to the user.
    void logMessage(const QString &line);

private:
    // What a failed attempt leaves for the next one to the same URL.
    enum Partial { KeepPartial, DiscardPartial };
    // Where a failed attempt leads: another try at the same mirror while its
    // budget lasts, or straight to the next mirror.
    enum Retry { SameMirror, NextMirror };

    void logLimits();
    void beginAttempt();
    bool openTemporaryFile();
    QNetworkRequest buildRequest(const QUrl &url) const;
    void onSignatureFetched(int result, const QByteArray &data, const QString &error);
    void requestPackage();
    // Looks at a 2xx answer before its first byte is kept: appends to a
    // resumed download, starts the file over, or asks again from zero.
    void onHead();
    void onBody(const QByteArray &data);
    void reportProgress();
    void onFetchFinished();
    void completeDownload();
    void restartFile();
    // The server cannot continue from what we hold: empty the file and ask
    // the same mirror for all of it, within the same attempt.
    void refetchWholeFile(int status);
    void onTimeLimit();
    bool inFlight() const;
    // Ends the attempt in flight and either retries or, with every budget
    // spent, reports message.
    void failAttempt(const QString &message, Partial partial, Retry retry = SameMirror);
    // A local failure: no other attempt or mirror would fare better.
    void failLocally(qint64 unwritten);
    bool diskIsFull(qint64 unwritten) const;
    QString diskFullMessage() const;
    void endDownload(int error, const QString &message);
    void dropFetch();
    void discardFile();
    QString temporaryPath() const;
    QString currentUrl() const { return m_mirrors.at(m_mirror); }

    QStringList m_mirrors;
    int m_mirror = 0;
    QString m_filePath;
    QPointer<HttpFetch> m_fetch;
    QPointer<SignatureFetch> m_signatureFetch;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<PackageTrust> m_trust;
    std::unique_ptr<PackageDigest> m_digest;
    int m_attemptsLeft = 3;
    qint64 m_bytesWritten = 0;
    // Where the current answer's body starts in the file (resumed: > 0).
    qint64 m_responseOffset = 0;
    bool m_rangeSent = false;
    QByteArray m_etag;
    QByteArray m_lastModified;
    QByteArray m_contentEncoding;
    RangeResume m_resume;
    QByteArray m_signature;
    // A check that failed outweighs a later network error in the message.
    QString m_trustFailure;
    int m_attemptLimit;
    int m_stallWindow;
    QTimer m_attemptTimer;
    QElapsedTimer m_attemptClock;
    QElapsedTimer m_progressClock;
};
