#include "engine/download/download_task.h"

#include "engine/download/package_mirrors.h"
#include "engine/download/signature_fetch.h"
#include "engine/install_error.h"
#include "engine/trust/package_digest.h"
#include "engine/trust/package_trust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QStorageInfo>
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
    , m_mirrors(packageMirrors(url))
    , m_filePath(filePath)
    , m_trust(new PackageTrust)
    , m_digest(new PackageDigest(false, false))
    , m_attemptsLeft(attemptBudget)
{
    // Nothing usable in url: one attempt list all the same, so that the
    // failure comes in the network library's words as for any bad URL.
    if (m_mirrors.isEmpty())
        m_mirrors.append(url);
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

void DownloadTask::setPackageChecks(const QString &sha256Hex, const QString &publicKeys,
                                    const QString &productName, const QString &productVersion)
{
    m_trust.reset(new PackageTrust(sha256Hex, publicKeys));
    m_trust->setExpectedClaims(productName, productVersion);
    m_digest.reset(new PackageDigest(m_trust->wantsSha256(), m_trust->wantsSignature()));
}

void DownloadTask::start()
{
    if (inFlight())
        return;
    if (!m_trust->settingsProblem().isEmpty()) {
        emit done(DownloadFailed, m_trust->settingsProblem());
        return;
    }
    m_mirror = 0;
    m_attemptsLeft = attemptBudget;
    m_trustFailure.clear();
    discardFile();
    beginAttempt();
}

void DownloadTask::cancel()
{
    dropReply();
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
    m_resume.clear();
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

bool DownloadTask::inFlight() const
{
    return m_reply || m_signatureFetch;
}

bool DownloadTask::openTemporaryFile()
{
    // The temporary folder is shared with other users: never write through
    // something already lying there (a planted link would redirect the
    // write), but start a new file of our own. A resumed download keeps
    // writing through the handle it already has.
    const QString tmpPath = temporaryPath();
    if (QFileInfo(tmpPath).isSymbolicLink() || QFileInfo::exists(tmpPath))
        QFile::remove(tmpPath);
    m_file.reset(new QFile(tmpPath));
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        m_file.reset();
        return false;
    }
    m_bytesWritten = 0;
    m_digest->reset();
    return true;
}

QNetworkRequest DownloadTask::buildRequest(const QUrl &url) const
{
    QNetworkRequest request;
    if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) {
        // The default configuration carries the system's trusted authorities;
        // the server's certificate is verified against them.
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        ssl.setProtocol(QSsl::TlsV1_2OrLater);
        request.setSslConfiguration(ssl);
    }
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/octet-stream"));
    request.setUrl(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maximumRedirects);
    return request;
}

void DownloadTask::beginAttempt()
{
    if (!m_file && !openTemporaryFile()) {
        emit done(LocalFileFailed, QStringLiteral("Can't open the local file."));
        return;
    }

    emit logMessage(QStringLiteral("download attempt %1 of %2 from mirror %3 of %4: GET %5")
                        .arg(attemptBudget - m_attemptsLeft + 1)
                        .arg(attemptBudget)
                        .arg(m_mirror + 1)
                        .arg(m_mirrors.size())
                        .arg(currentUrl()));
    m_attemptClock.start();
    if (!m_trust->wantsSignature()) {
        requestPackage();
        return;
    }
    // The signature comes first: a mirror without a usable one is left
    // before a large package has been fetched from it in vain.
    m_signature.clear();
    const QUrl url = signatureUrl(QUrl::fromUserInput(currentUrl()));
    m_signatureFetch = new SignatureFetch(m_manager, buildRequest(url), this);
    connect(m_signatureFetch, &SignatureFetch::done, this, &DownloadTask::onSignatureFetched);
    m_stallTimer.start();
}

void DownloadTask::onSignatureFetched(int result, const QByteArray &data, const QString &error)
{
    m_stallTimer.stop();
    if (m_signatureFetch) {
        m_signatureFetch->deleteLater();
        m_signatureFetch = nullptr;
    }
    if (result == SignatureFetch::Missing) {
        m_trustFailure = PackageTrust::missingSignatureMessage();
        failAttempt(DownloadFailed, m_trustFailure, KeepPartial);
        return;
    }
    if (result == SignatureFetch::Failed) {
        failAttempt(DownloadFailed, error, KeepPartial);
        return;
    }
    const QString problem = m_trust->signatureFileProblem(data);
    if (!problem.isEmpty()) {
        m_trustFailure = problem;
        failAttempt(DownloadFailed, problem, KeepPartial);
        return;
    }
    m_signature = data;
    requestPackage();
}

void DownloadTask::requestPackage()
{
    QNetworkRequest request = buildRequest(QUrl::fromUserInput(currentUrl()));
    m_rangeSent = m_resume.canResume();
    m_resume.applyTo(request);
    m_responseChecked = false;
    m_discardBody = false;
    m_responseOffset = 0;

    m_reply = m_manager->get(request);
    m_reply->setReadBufferSize(replyBufferSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &DownloadTask::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &DownloadTask::onFinished);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &DownloadTask::onError);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 received, qint64 total) {
                m_stallTimer.start();
                if (reply != m_reply || !checkResponse() || m_discardBody)
                    return;
                // Once a body of unknown length has ended, Qt reports the
                // received count as its total; no length was announced.
                if (!reply->header(QNetworkRequest::ContentLengthHeader).isValid())
                    total = -1;
                // A resumed body continues the bar from where it was.
                emit progress(m_responseOffset + received,
                              total < 0 ? -1 : m_responseOffset + total);
            });
    m_stallTimer.start();
}

bool DownloadTask::checkResponse()
{
    if (m_responseChecked)
        return true;
    m_responseChecked = true;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        // Not the package: the body of an error page never joins the file.
        m_discardBody = true;
        return true;
    }
    const QByteArray etag = m_reply->rawHeader("ETag");
    const QByteArray lastModified = m_reply->rawHeader("Last-Modified");
    if (m_rangeSent) {
        switch (m_resume.decide(status.toInt(), m_reply->rawHeader("Content-Range"), etag,
                                lastModified)) {
        case RangeResume::Append:
            m_responseOffset = m_bytesWritten;
            emit logMessage(QStringLiteral("resuming at byte %1 (HTTP %2)")
                                .arg(m_bytesWritten)
                                .arg(status.toInt()));
            break;
        case RangeResume::StartOver:
            emit logMessage(QStringLiteral("the server sent the whole file again (HTTP %1); "
                                           "starting over")
                                .arg(status.toInt()));
            restartFile();
            break;
        case RangeResume::Refetch:
            refetchWholeFile(status.toInt());
            return false;
        }
    }
    m_etag = etag;
    m_lastModified = lastModified;
    m_contentEncoding = m_reply->rawHeader("Content-Encoding");
    return true;
}

void DownloadTask::restartFile()
{
    m_file->resize(0);
    m_file->seek(0);
    m_bytesWritten = 0;
    m_digest->reset();
    m_resume.clear();
}

void DownloadTask::refetchWholeFile(int status)
{
    emit logMessage(QStringLiteral("the server cannot continue the download (HTTP %1); "
                                   "asking for the whole file")
                        .arg(status));
    dropReply();
    restartFile();
    requestPackage();
}

QString DownloadTask::writeFailure(qint64 unwritten) const
{
    // A full disk will not empty itself in a moment: say so, rather than the
    // "Unknown error" a short write leaves behind, or a later "cannot unzip".
    const QString folder = QFileInfo(temporaryPath()).absolutePath();
    const QStorageInfo volume(folder);
    if (volume.isValid() && volume.bytesAvailable() < unwritten) {
        return tr("The disk is full: there is no room left for the package in %1.")
            .arg(QDir::toNativeSeparators(folder));
    }
    return tr("Can't write the local file %1: %2")
        .arg(QDir::toNativeSeparators(temporaryPath()), m_file->errorString());
}

bool DownloadTask::writeAvailable()
{
    while (m_reply->bytesAvailable() > 0) {
        const qint64 length = m_reply->read(m_buffer.data(), m_buffer.size());
        if (length <= 0)
            break;
        if (m_discardBody)
            continue;
        const qint64 written = m_file->write(m_buffer.constData(), length);
        if (written != length) {
            failAttempt(LocalFileFailed, writeFailure(length - qMax<qint64>(written, 0)),
                        DiscardPartial);
            return false;
        }
        m_digest->addData(m_buffer.constData(), length);
        m_bytesWritten += length;
    }
    return true;
}

void DownloadTask::onReadyRead()
{
    m_stallTimer.start();
    if (m_reply && m_file && checkResponse())
        writeAvailable();
}

void DownloadTask::onFinished()
{
    if (!m_reply)
        return;
    m_stallTimer.stop();
    if (!checkResponse())
        return;
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
                        .arg(reason),
                    KeepPartial);
        return;
    }
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    const bool plainBody = encoding.isEmpty() || encoding == "identity";
    const qint64 bodyBytes = m_bytesWritten - m_responseOffset;
    if (http && plainBody && announced.isValid() && announced.toLongLong() != bodyBytes) {
        failAttempt(DownloadFailed,
                    tr("The download ended early: %1 of %2 bytes arrived.")
                        .arg(bodyBytes)
                        .arg(announced.toLongLong()),
                    KeepPartial);
        return;
    }

    if (m_file && !m_file->flush()) {
        failAttempt(LocalFileFailed, writeFailure(1), DiscardPartial);
        return;
    }
    // Nothing of a package that fails a check is kept, let alone unpacked.
    const QString distrust
        = m_trust->check(*m_digest, m_signature, temporaryPath(), QUrl(currentUrl()).fileName());
    if (!distrust.isEmpty()) {
        m_trustFailure = distrust;
        failAttempt(DownloadFailed, distrust, DiscardPartial);
        return;
    }

    emit logMessage(QStringLiteral("download complete: HTTP %1, %2 bytes from mirror %3 of %4 "
                                   "(%5) in %6 ms%7")
                        .arg(status.toInt())
                        .arg(m_bytesWritten)
                        .arg(m_mirror + 1)
                        .arg(m_mirrors.size())
                        .arg(m_reply->url().toString())
                        .arg(m_attemptClock.elapsed())
                        .arg(m_trust->wantsSha256() || m_trust->wantsSignature()
                                 ? QStringLiteral(", checks passed")
                                 : QString()));
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
    m_resume.clear();

    QString failure;
    if (m_file) {
        m_file->close();
        const bool written = m_file->error() == QFileDevice::NoError;
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
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_rangeSent && status == 416) {
        // The part we hold no longer fits the file on the server.
        refetchWholeFile(status);
        return;
    }
    failAttempt(DownloadFailed, m_reply->errorString(), KeepPartial);
}

void DownloadTask::onStalled()
{
    if (!inFlight())
        return;
    const int seconds = (m_stallTimer.interval() + 999) / 1000;
    failAttempt(DownloadFailed,
                tr("The download stalled: no data arrived for %1 seconds.").arg(seconds),
                KeepPartial);
}

void DownloadTask::onTimeLimit()
{
    if (!inFlight())
        return;
    failAttempt(DownloadFailed, tr("The download did not finish within the time allowed."),
                KeepPartial);
}

void DownloadTask::dropReply()
{
    m_stallTimer.stop();
    if (m_signatureFetch) {
        m_signatureFetch->disconnect(this);
        m_signatureFetch->deleteLater();
        m_signatureFetch = nullptr;
    }
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
    m_resume.clear();
    if (!m_file)
        return;
    m_file->close();
    m_file->remove();
    m_file.reset();
}

void DownloadTask::failAttempt(int error, const QString &message, Partial partial)
{
    emit logMessage(QStringLiteral("download attempt failed after %1 bytes in %2 ms: %3")
                        .arg(m_bytesWritten)
                        .arg(m_attemptClock.elapsed())
                        .arg(message));
    dropReply();
    --m_attemptsLeft;

    // What arrived stays for the next attempt to the same URL, if the server
    // told how to ask for the rest of the very same file.
    m_resume.clear();
    if (partial == KeepPartial && m_attemptsLeft > 0 && m_file)
        m_resume.keep(m_bytesWritten, m_etag, m_lastModified, m_contentEncoding);
    if (m_resume.canResume())
        m_file->resize(m_bytesWritten);
    else
        discardFile();

    if (m_attemptsLeft <= 0 && m_mirror + 1 < m_mirrors.size()) {
        ++m_mirror;
        m_attemptsLeft = attemptBudget;
        emit logMessage(QStringLiteral("mirror %1 failed; trying mirror %2 of %3")
                            .arg(m_mirror)
                            .arg(m_mirror + 1)
                            .arg(m_mirrors.size()));
    }
    if (m_attemptsLeft <= 0) {
        if (!m_trustFailure.isEmpty())
            emit done(DownloadFailed, m_trustFailure);
        else
            emit done(error, message);
        return;
    }
    beginAttempt();
}
