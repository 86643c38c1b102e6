#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QFile;
class QNetworkAccessManager;

// Fetches one file (the product package) over HTTP or HTTPS into a local
// file: the body streams into filePath + ".tmp", which is renamed to filePath
// once the transfer is complete. A failed attempt is retried, three attempts
// in all, and one done() reports the result. Lives on the GUI thread.
//
// HTTPS servers are checked against the trusted authorities of the default
// SSL configuration (the system's), with TLS 1.2 or newer; redirects are
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

    // An attempt during which no data arrives for this long fails
    // (60 seconds unless changed).
    void setStallTimeout(int msec);
    // Restarts the limit on the whole download, which starts with the task
    // at 20 minutes and fires once.
    void setTimeLimit(int msec);

signals:
    void progress(qint64 bytes_received, qint64 bytes_total);
    void done(int error, const QString &message);
    // One line for the installation log per attempt begun and ended: URL,
    // HTTP status, bytes and time taken. Not shown to the user.
    void logMessage(const QString &line);

private:
    void beginAttempt();
    void onReadyRead();
    void onFinished();
    void onError(QNetworkReply::NetworkError code);
    void onStalled();
    void onTimeLimit();
    // Ends the attempt in flight, deletes its ".tmp" file and either retries
    // or, with the budget spent, reports error with message.
    void failAttempt(int error, const QString &message);
    void dropReply();
    void discardFile();
    bool writeAvailable();
    QString temporaryPath() const;

    QNetworkAccessManager *m_manager = nullptr;
    QString m_url;
    QString m_filePath;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QFile> m_file;
    int m_attemptsLeft = 3;
    qint64 m_bytesWritten = 0;
    QByteArray m_buffer;
    QTimer m_timeLimit;
    QTimer m_stallTimer;
    QElapsedTimer m_attemptClock;
};
