#include "engine/download/download_task.h"

#include "engine/download/http_fetch.h"
#include "engine/download/package_mirrors.h"
#include "engine/download/signature_fetch.h"
#include "engine/install_error.h"
#include "engine/platform_helpers.h"
#include "engine/trust/minisign_signature.h"
#include "engine/trust/package_digest.h"
#include "engine/trust/package_trust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QStorageInfo>
#include <QUrl>

namespace {

const int attemptBudget = 3;
const int defaultTimeLimit = 20 * 60 * 1000;
const int defaultStallTimeout = 60 * 1000;
// Less than this within the stall window, and the attempt has stalled: a
// server trickling a byte now and then must not hold the installer.
const qint64 stallBytes = 1024;
const int maximumRedirects = 5;
const int progressInterval = 100;

} // namespace

DownloadTask::DownloadTask(const QString &url, const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_mirrors(packageMirrors(url))
    , m_filePath(filePath)
    , m_trust(new PackageTrust)
    , m_digest(new PackageDigest(false, false))
    , m_attemptsLeft(attemptBudget)
    , m_attemptLimit(defaultTimeLimit)
    , m_stallWindow(defaultStallTimeout)
{
    // Nothing usable in url: one attempt list all the same, so that the
    // failure is reported as for any bad URL.
    if (m_mirrors.isEmpty())
        m_mirrors.append(url);
    m_attemptTimer.setSingleShot(true);
    m_attemptTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_attemptTimer, &QTimer::timeout, this, &DownloadTask::onTimeLimit);
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
    logLimits();
    beginAttempt();
}

void DownloadTask::cancel()
{
    dropFetch();
    m_attemptTimer.stop();
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
    m_resume.clear();
}

void DownloadTask::setStallTimeout(int msec)
{
    m_stallWindow = msec;
}

void DownloadTask::setTimeLimit(int msec)
{
    m_attemptLimit = msec;
    if (m_attemptTimer.isActive())
        m_attemptTimer.start(msec);
}

void DownloadTask::logLimits()
{
    const qint64 allAttempts = qint64(attemptBudget) * m_mirrors.size();
    emit logMessage(QStringLiteral("download limits: each attempt ends after %1 s, or when less "
                                   "than %2 bytes arrive in %3 s; answer heads at most %4 KiB, "
                                   "signatures at most %5 bytes; %6 attempts for each of %7 "
                                   "mirrors: at most %8 s in all")
                        .arg(m_attemptLimit / 1000.0)
                        .arg(stallBytes)
                        .arg(m_stallWindow / 1000.0)
                        .arg(HttpResponseReader::headLimit / 1024)
                        .arg(MinisignSignature::maximumFileSize)
                        .arg(attemptBudget)
                        .arg(m_mirrors.size())
                        .arg(allAttempts * m_attemptLimit / 1000.0));
}

QString DownloadTask::temporaryPath() const
{
    return m_filePath + QStringLiteral(".tmp");
}

bool DownloadTask::inFlight() const
{
    return m_fetch || m_signatureFetch;
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
    request.setMaximumRedirectsAllowed(maximumRedirects);
    return request;
}

void DownloadTask::beginAttempt()
{
    if (!m_file && !openTemporaryFile()) {
        // No room for even an empty file is a full disk like any other.
        if (diskIsFull(0))
            emit done(DiskFull, diskFullMessage());
        else
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
    m_attemptTimer.start(m_attemptLimit);
    if (!m_trust->wantsSignature()) {
        requestPackage();
        return;
    }
    // The signature comes first: a mirror without a usable one is left
    // before a large package has been fetched from it in vain.
    m_signature.clear();
    const QUrl url = signatureUrl(QUrl::fromUserInput(currentUrl()));
    m_signatureFetch = new SignatureFetch(buildRequest(url), this);
    m_signatureFetch->setStallLimit(m_stallWindow, stallBytes);
    connect(m_signatureFetch, &SignatureFetch::done, this, &DownloadTask::onSignatureFetched);
    m_signatureFetch->start();
}

void DownloadTask::onSignatureFetched(int result, const QByteArray &data, const QString &error)
{
    if (m_signatureFetch) {
        m_signatureFetch->disconnect(this);
        m_signatureFetch->deleteLater();
        m_signatureFetch = nullptr;
    }
    if (result == SignatureFetch::Failed) {
        failAttempt(error, KeepPartial);
        return;
    }
    // Neither a missing nor an unusable signature turns up by asking again.
    const QString problem = result == SignatureFetch::Missing
        ? PackageTrust::missingSignatureMessage()
        : m_trust->signatureFileProblem(data);
    if (!problem.isEmpty()) {
        m_trustFailure = problem;
        failAttempt(problem, KeepPartial, NextMirror);
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
    m_responseOffset = 0;

    m_fetch = new HttpFetch(request, this);
    m_fetch->setStallLimit(m_stallWindow, stallBytes);
    connect(m_fetch, &HttpFetch::headReceived, this, &DownloadTask::onHead);
    connect(m_fetch, &HttpFetch::bodyReceived, this, &DownloadTask::onBody);
    connect(m_fetch, &HttpFetch::finished, this, &DownloadTask::onFetchFinished);
    m_fetch->start();
}

void DownloadTask::onHead()
{
    const int status = m_fetch->status();
    const QByteArray etag = m_fetch->rawHeader("ETag");
    const QByteArray lastModified = m_fetch->rawHeader("Last-Modified");
    if (m_rangeSent) {
        switch (m_resume.decide(status, m_fetch->rawHeader("Content-Range"), etag, lastModified)) {
        case RangeResume::Append:
            m_responseOffset = m_bytesWritten;
            emit logMessage(
                QStringLiteral("resuming at byte %1 (HTTP %2)").arg(m_bytesWritten).arg(status));
            break;
        case RangeResume::StartOver:
            emit logMessage(QStringLiteral("the server sent the whole file again (HTTP %1); "
                                           "starting over")
                                .arg(status));
            restartFile();
            break;
        case RangeResume::Refetch:
            refetchWholeFile(status);
            return;
        }
    }
    m_etag = etag;
    m_lastModified = lastModified;
    m_contentEncoding = m_fetch->rawHeader("Content-Encoding");
}

void DownloadTask::onBody(const QByteArray &data)
{
    const qint64 written = m_file->write(data);
    if (written != data.size()) {
        failLocally(data.size() - qMax<qint64>(written, 0));
        return;
    }
    m_digest->addData(data.constData(), data.size());
    m_bytesWritten += data.size();
    // Ten times a second is all a progress bar can show; the last step is
    // always reported.
    if (!m_progressClock.isValid() || m_progressClock.elapsed() >= progressInterval)
        reportProgress();
}

void DownloadTask::reportProgress()
{
    m_progressClock.start();
    // A resumed body continues the bar from where it was.
    const qint64 total = m_fetch->contentLength();
    emit progress(m_bytesWritten, total < 0 ? -1 : m_responseOffset + total);
}

void DownloadTask::onFetchFinished()
{
    const HttpFetch::Error error = m_fetch->error();
    const int status = m_fetch->status();
    if (error == HttpFetch::NoError) {
        reportProgress();
        completeDownload();
    } else if (error == HttpFetch::StatusError && m_rangeSent && status == 416) {
        // The part we hold no longer fits the file on the server.
        refetchWholeFile(status);
    } else if (error == HttpFetch::StatusError && status >= 400) {
        // In the words users and support have always seen for an HTTP error.
        failAttempt(tr("Error transferring %1 - server replied: %2")
                        .arg(m_fetch->url().toString(), m_fetch->reasonPhrase()),
                    KeepPartial);
    } else if (error == HttpFetch::StatusError) {
        failAttempt(tr("The server answered \"%1 %2\" instead of sending the package.")
                        .arg(status)
                        .arg(m_fetch->reasonPhrase()),
                    KeepPartial);
    } else if (error == HttpFetch::Truncated && m_fetch->contentLength() >= 0) {
        failAttempt(tr("The download ended early: %1 of %2 bytes arrived.")
                        .arg(m_bytesWritten - m_responseOffset)
                        .arg(m_fetch->contentLength()),
                    KeepPartial);
    } else {
        failAttempt(m_fetch->errorString(), KeepPartial);
    }
}

void DownloadTask::completeDownload()
{
    if (!m_file->flush()) {
        failLocally(1);
        return;
    }
    // Nothing of a package that fails a check is kept, let alone unpacked;
    // the same mirror would only send the same file again.
    const QString distrust
        = m_trust->check(*m_digest, m_signature, temporaryPath(), QUrl(currentUrl()).fileName());
    if (!distrust.isEmpty()) {
        m_trustFailure = distrust;
        failAttempt(distrust, DiscardPartial, NextMirror);
        return;
    }

    emit logMessage(QStringLiteral("download complete: HTTP %1, %2 bytes from mirror %3 of %4 "
                                   "(%5) in %6 ms%7")
                        .arg(m_fetch->status())
                        .arg(m_bytesWritten)
                        .arg(m_mirror + 1)
                        .arg(m_mirrors.size())
                        .arg(m_fetch->url().toDisplayString(QUrl::RemoveUserInfo))
                        .arg(m_attemptClock.elapsed())
                        .arg(m_trust->wantsSha256() || m_trust->wantsSignature()
                                 ? QStringLiteral(", checks passed")
                                 : QString()));
    dropFetch();
    m_attemptTimer.stop();
    m_resume.clear();

    m_file->close();
    const bool written = m_file->error() == QFileDevice::NoError;
    m_file.reset();
    const QString tmpPath = temporaryPath();
    if (!written) {
        QFile::remove(tmpPath);
        if (diskIsFull(1))
            emit done(DiskFull, diskFullMessage());
        else
            emit done(LocalFileFailed,
                      tr("Can't write the local file %1.").arg(QDir::toNativeSeparators(tmpPath)));
        return;
    }
    QFile::remove(m_filePath);
    if (!QFile::rename(tmpPath, m_filePath)) {
        // Reporting success here would unpack a stale or missing package.
        emit done(
            LocalFileFailed,
            tr("Can't move the downloaded file to %1.").arg(QDir::toNativeSeparators(m_filePath)));
        return;
    }
    emit done(NoError, QString());
}

void DownloadTask::restartFile()
{
    m_file->resize(0);
    m_file->seek(0);
    m_bytesWritten = 0;
    m_responseOffset = 0;
    m_digest->reset();
    m_resume.clear();
}

void DownloadTask::refetchWholeFile(int status)
{
    emit logMessage(QStringLiteral("the server cannot continue the download (HTTP %1); "
                                   "asking for the whole file")
                        .arg(status));
    dropFetch();
    restartFile();
    requestPackage();
}

bool DownloadTask::diskIsFull(qint64 unwritten) const
{
    const QString folder = QFileInfo(temporaryPath()).absolutePath();
    if (volumeFull(folder))
        return true;
    const QStorageInfo volume(folder);
    return volume.isValid() && volume.bytesAvailable() < unwritten;
}

QString DownloadTask::diskFullMessage() const
{
    return tr("The disk is full: there is no room left for the package in %1.")
        .arg(QDir::toNativeSeparators(QFileInfo(temporaryPath()).absolutePath()));
}

void DownloadTask::failLocally(qint64 unwritten)
{
    // A full disk will not empty itself in a moment: say so, rather than the
    // "Unknown error" a short write leaves behind, or a later "cannot unzip".
    const bool full = diskIsFull(unwritten);
    const QString message = full
        ? diskFullMessage()
        : tr("Can't write the local file %1: %2")
              .arg(QDir::toNativeSeparators(temporaryPath()), m_file->errorString());
    emit logMessage(QStringLiteral("download failed after %1 bytes in %2 ms: %3")
                        .arg(m_bytesWritten)
                        .arg(m_attemptClock.elapsed())
                        .arg(message));
    endDownload(full ? DiskFull : LocalFileFailed, message);
}

void DownloadTask::onTimeLimit()
{
    if (!inFlight())
        return;
    failAttempt(tr("The download did not finish within the time allowed."), KeepPartial);
}

void DownloadTask::dropFetch()
{
    if (m_signatureFetch) {
        m_signatureFetch->disconnect(this);
        m_signatureFetch->deleteLater();
        m_signatureFetch = nullptr;
    }
    if (m_fetch) {
        m_fetch->disconnect(this);
        // The connection ends now; the object goes later, as this may run
        // inside one of its own signals.
        m_fetch->abort();
        m_fetch->deleteLater();
        m_fetch = nullptr;
    }
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

void DownloadTask::endDownload(int error, const QString &message)
{
    dropFetch();
    m_attemptTimer.stop();
    discardFile();
    emit done(error, message);
}

void DownloadTask::failAttempt(const QString &message, Partial partial, Retry retry)
{
    emit logMessage(QStringLiteral("download attempt failed after %1 bytes in %2 ms: %3")
                        .arg(m_bytesWritten)
                        .arg(m_attemptClock.elapsed())
                        .arg(message));
    dropFetch();
    m_attemptTimer.stop();
    --m_attemptsLeft;
    if (retry == NextMirror)
        m_attemptsLeft = 0;

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
        emit done(DownloadFailed, m_trustFailure.isEmpty() ? message : m_trustFailure);
        return;
    }
    beginAttempt();
}
