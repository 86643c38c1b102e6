#include "engine/download_task.h"

#include "engine/install_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QUrl>
#include <QVariant>

namespace {

const int attemptBudget = 3;
const int defaultTimeLimit = 20 * 60 * 1000;
const int defaultStallTimeout = 60 * 1000;
const int maximumRedirects = 5;
// Chunk size for moving the body from the reply to the file. The reply's own
// buffer is bounded too, so memory does not grow with the package.
const int chunkSize = 256 * 1024;
const qint64 replyBufferSize = 4 * 1024 * 1024;

// The proxy an ordinary downloader would take: the desktop's settings, on
// Linux the http_proxy/https_proxy/no_proxy environment variables. Set per
// manager so that the rest of the process keeps its own proxy choice.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        return systemProxyForQuery(query);
    }
};

} // namespace

DownloadTask::DownloadTask(const QString &url, const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
    , m_url(url)
    , m_filePath(filePath)
    , m_attemptsLeft(attemptBudget)
{
    m_manager->setProxyFactory(new SystemProxyFactory);
    m_buffer.resize(chunkSize);

    m_timeLimit.setSingleShot(true);
    m_timeLimit.setTimerType(Qt::CoarseTimer);
    connect(&m_timeLimit, &QTimer::timeout, this, &DownloadTask::onTimeLimit);
    m_timeLimit.start(defaultTimeLimit);

    m_stallTimer.setSingleShot(true);
    m_stallTimer.setInterval(defaultStallTimeout);
    connect(&m_stallTimer, &QTimer::timeout, this, &DownloadTask::onStalled);
}

DownloadTask::~DownloadTask()
{
    cancel();
}

void DownloadTask::start()
{
    if (m_reply)
        return;
    m_attemptsLeft = attemptBudget;
    beginAttempt();
}

void DownloadTask::cancel()
{
    dropReply();
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
}

void DownloadTask::setStallTimeout(int msec)
{
    m_stallTimer.setInterval(msec);
}

void DownloadTask::setTimeLimit(int msec)
{
    m_timeLimit.start(msec);
}

QString DownloadTask::temporaryPath() const
{
    return m_filePath + QStringLiteral(".tmp");
}

void DownloadTask::beginAttempt()
{
    // The temporary folder is shared with other users: never write through
    // something already lying there (a planted link would redirect the
    // write), but start a new file of our own.
    const QString tmpPath = temporaryPath();
    if (QFileInfo(tmpPath).isSymbolicLink() || QFileInfo::exists(tmpPath))
        QFile::remove(tmpPath);
    m_file.reset(new QFile(tmpPath));
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        m_file.reset();
        emit done(LocalFileFailed, QStringLiteral("Can't open the local file."));
        return;
    }
    m_bytesWritten = 0;

    QNetworkRequest request;
    if (m_url.startsWith(QLatin1String("https"), Qt::CaseInsensitive)) {
        // The default configuration carries the system's trusted authorities;
        // the server's certificate is verified against them.
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        ssl.setProtocol(QSsl::TlsV1_2OrLater);
        request.setSslConfiguration(ssl);
    }
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/octet-stream"));
    request.setUrl(QUrl::fromUserInput(m_url));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maximumRedirects);

    emit logMessage(QStringLiteral("download attempt %1 of %2: GET %3")
                        .arg(attemptBudget - m_attemptsLeft + 1)
                        .arg(attemptBudget)
                        .arg(m_url));
    m_attemptClock.start();
    m_reply = m_manager->get(request);
    m_reply->setReadBufferSize(replyBufferSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &DownloadTask::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &DownloadTask::onFinished);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &DownloadTask::onError);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 received, qint64 total) {
                m_stallTimer.start();
                // Once a body of unknown length has ended, Qt reports the
                // received count as its total; no length was announced.
                if (!reply->header(QNetworkRequest::ContentLengthHeader).isValid())
                    total = -1;
                emit progress(received, total);
            });
    m_stallTimer.start();
}

bool DownloadTask::writeAvailable()
{
    while (m_reply->bytesAvailable() > 0) {
        const qint64 length = m_reply->read(m_buffer.data(), m_buffer.size());
        if (length <= 0)
            break;
        if (m_file->write(m_buffer.constData(), length) != length) {
            // A full disk will not empty itself in a moment: name the local
            // file, not a later "cannot unzip".
            failAttempt(LocalFileFailed,
                        tr("Can't write the local file %1: %2")
                            .arg(QDir::toNativeSeparators(temporaryPath()), m_file->errorString()));
            return false;
        }
        m_bytesWritten += length;
    }
    return true;
}

void DownloadTask::onReadyRead()
{
    m_stallTimer.start();
    if (m_reply && m_file)
        writeAvailable();
}

void DownloadTask::onFinished()
{
    if (!m_reply)
        return;
    m_stallTimer.stop();
    if (m_file && !writeAvailable())
        return;

    // Only a complete 2xx answer is the package; anything else that Qt hands
    // over without an error (a redirect it did not follow, a body cut short)
    // is a failed attempt.
    const bool http = m_reply->url().scheme().startsWith(QLatin1String("http"));
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (http && (status.toInt() < 200 || status.toInt() > 299)) {
        const QString reason
            = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        failAttempt(DownloadFailed,
                    tr("The server answered \"%1 %2\" instead of sending the package.")
                        .arg(status.toInt())
                        .arg(reason));
        return;
    }
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    const bool plainBody = encoding.isEmpty() || encoding == "identity";
    if (http && plainBody && announced.isValid() && announced.toLongLong() != m_bytesWritten) {
        failAttempt(DownloadFailed,
                    tr("The download ended early: %1 of %2 bytes arrived.")
                        .arg(m_bytesWritten)
                        .arg(announced.toLongLong()));
        return;
    }

    emit logMessage(QStringLiteral("download complete: HTTP %1, %2 bytes from %3 in %4 ms")
                        .arg(status.toInt())
                        .arg(m_bytesWritten)
                        .arg(m_reply->url().toString())
                        .arg(m_attemptClock.elapsed()));
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;

    QString failure;
    if (m_file) {
        const bool flushed = m_file->flush();
        m_file->close();
        const bool written = flushed && m_file->error() == QFileDevice::NoError;
        m_file.reset();
        const QString tmpPath = temporaryPath();
        if (!written) {
            QFile::remove(tmpPath);
            failure = tr("Can't write the local file %1.").arg(QDir::toNativeSeparators(tmpPath));
        } else {
            QFile::remove(m_filePath);
            if (!QFile::rename(tmpPath, m_filePath)) {
                // Reporting success here would unpack a stale or missing package.
                failure = tr("Can't move the downloaded file to %1.")
                              .arg(QDir::toNativeSeparators(m_filePath));
            }
        }
    }
    if (!failure.isEmpty()) {
        emit done(LocalFileFailed, failure);
        return;
    }
    emit done(NoError, QString());
}

void DownloadTask::onError(QNetworkReply::NetworkError)
{
    if (!m_reply)
        return;
    failAttempt(DownloadFailed, m_reply->errorString());
}

void DownloadTask::onStalled()
{
    if (!m_reply)
        return;
    const int seconds = (m_stallTimer.interval() + 999) / 1000;
    failAttempt(DownloadFailed,
                tr("The download stalled: no data arrived for %1 seconds.").arg(seconds));
}

void DownloadTask::onTimeLimit()
{
    if (!m_reply)
        return;
    failAttempt(DownloadFailed, tr("The download did not finish within the time allowed."));
}

void DownloadTask::dropReply()
{
    m_stallTimer.stop();
    if (!m_reply)
        return;
    const bool reportedError = m_reply->error() != QNetworkReply::NoError;
    m_reply->disconnect(this);
    if (m_reply->isRunning() && !reportedError)
        m_reply->abort();
    // Deferred: this may run inside one of the reply's own signals.
    m_reply->deleteLater();
    m_reply = nullptr;
}

void DownloadTask::discardFile()
{
    if (!m_file)
        return;
    m_file->close();
    m_file->remove();
    m_file.reset();
}

void DownloadTask::failAttempt(int error, const QString &message)
{
    emit logMessage(QStringLiteral("download attempt failed after %1 bytes in %2 ms: %3")
                        .arg(m_bytesWritten)
                        .arg(m_attemptClock.elapsed())
                        .arg(message));
    dropReply();
    discardFile();
    --m_attemptsLeft;
    if (m_attemptsLeft <= 0) {
        emit done(error, message);
        return;
    }
    beginAttempt();
}
