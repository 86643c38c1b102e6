#include "engine/install_run.h"

#include "engine/download/download_task.h"
#include "engine/download/package_mirrors.h"
#include "engine/install_error.h"
#include "engine/platform_helpers.h"
#include "engine/registration/registration.h"
#include "engine/unpack/unzip_worker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// The run's texts are the progress page's: users have always met them on
// that page, and the translations keep its context. Each source text is
// marked where it is used so that lupdate finds it.
QString pageText(const char *source)
{
    return QCoreApplication::translate("InstallWidget", source);
}

} // namespace

InstallRun::InstallRun(const InstallerConfig &config, QObject *parent)
    : QObject(parent)
    , m_config(config)
{
}

InstallRun::~InstallRun()
{
    // Torn down in the middle of a run (the application ending): no thread
    // or download may outlive it.
    cancel();
    // A failed run kept its folder for the log, which the failure page
    // offers for as long as the installer runs; the log that page opens is
    // a copy elsewhere, so nothing an editor holds goes with the folder.
    if (m_failed && !m_runFolder.path().isEmpty())
        removeDirectory(QDir(m_runFolder.path()));
}

QStringList InstallRun::recoverInterruptedRuns(const QString &journalFolder)
{
    return InstallJournal::recoverAll(journalFolder);
}

void InstallRun::start()
{
    if (m_stage != Stage::Idle)
        return;
    setStage(Stage::Downloading);

    QString message;
    const int begun = beginRun(&message);
    if (begun != NoError) {
        finish(begun, message);
        return;
    }
    // Stored in the run folder under a single name made from its URL.
    m_packageName = packageFileName(packageMirrors(m_config.packageUrl).value(0));

    m_downloadTask = new DownloadTask(m_config.packageUrl, packagePath(), this);
    m_downloadTask->setPackageChecks(m_config.packageSha256, m_config.packagePublicKey,
                                     m_config.productName, m_config.productVersion);
    connect(m_downloadTask, &DownloadTask::progress, this, &InstallRun::onDownloadProgress);
    connect(m_downloadTask, &DownloadTask::done, this, &InstallRun::onDownloadDone);
    connect(m_downloadTask, &DownloadTask::logMessage, this,
            [this](const QString &line) { m_log.write(line); });
    m_downloadTask->start();
}

void InstallRun::cancel()
{
    if (m_downloadTask) {
        m_downloadTask->cancel();
        m_downloadTask->deleteLater();
        m_downloadTask = nullptr;
    }
    if (m_workerThread) {
        // The worker looks at the flag between files; the wait ends once
        // doWork has returned and the thread's event loop has quit.
        m_worker->cancelled = true;
        m_workerThread->quit();
        m_workerThread->wait();
        m_workerThread->deleteLater();
        m_workerThread = nullptr;
        // Its thread has ended, so nothing can be running inside it now.
        delete m_worker;
        m_worker = nullptr;
    }
}

int InstallRun::beginRun(QString *message)
{
    m_runId = uniqueName();
    if (!m_runFolder.create(m_runId)) {
        *message = m_runFolder.errorMessage();
        return LocalFileFailed;
    }
    m_logPath = m_runFolder.filePath(InstallLog::fileName());
    m_log.open(m_logPath);
    // Before anything is written for the folder: two runs into one folder
    // would mix their files, and the undo of one would remove the other's.
    const InstallFolderLock::Result locked = m_folderLock.acquire(m_config.installDir);
    if (locked != InstallFolderLock::Acquired) {
        const QString folder = QDir::toNativeSeparators(m_config.installDir);
        *message = locked == InstallFolderLock::Busy
            ? pageText(QT_TRANSLATE_NOOP("InstallWidget",
                                         "Another installation into %1 is running. Wait until it "
                                         "has finished, then try again."))
                  .arg(folder)
            : pageText(QT_TRANSLATE_NOOP("InstallWidget",
                                         "The install folder %1 cannot be reserved for this "
                                         "installation."))
                  .arg(folder);
        m_log.write(*message);
        return InstallFolderBusy;
    }
    if (!m_journal.begin(m_journalFolder, m_runId)
        || !m_journal.add(JournalEntry::Kind::Temp, m_runFolder.path())) {
        *message = pageText(QT_TRANSLATE_NOOP("InstallWidget",
                                              "The installation journal cannot be written in %1."))
                       .arg(QDir::toNativeSeparators(m_journalFolder));
        m_log.write(*message + QStringLiteral(" (") + m_journal.errorString() + QLatin1Char(')'));
        return LocalFileFailed;
    }
    m_log.write(QStringLiteral("Installer %1 installing %2 %3")
                    .arg(QCoreApplication::applicationVersion(), m_config.productName,
                         m_config.productVersion));
    m_log.write(QStringLiteral("Package URL: ") + m_config.packageUrl);
    m_log.write(QStringLiteral("Install folder: ") + m_config.installDir);
    m_log.write(QStringLiteral("Temporary folder: ") + m_runFolder.path());
    m_log.write(QStringLiteral("Journal: ") + m_journal.path());
    return NoError;
}

bool InstallRun::ensureInstallFolder()
{
    // The journal learns the outermost folder made, so that a failed or
    // killed run can take it away again.
    const QString folder = m_config.installDir;
    QString outermost;
    for (QString path = QDir::cleanPath(QDir(folder).absolutePath()); !QFileInfo::exists(path);) {
        outermost = path;
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    if (!outermost.isEmpty()) {
        m_journal.add(JournalEntry::Kind::Created, outermost);
        m_createdFolder = outermost;
        m_log.write(QStringLiteral("Creating the install folder from ") + outermost);
    }
    QString reason;
    if (makeFolders(folder, &reason))
        return true;
    m_log.write(QStringLiteral("Could not create the install folder: ") + reason);
    return false;
}

void InstallRun::endRun(bool succeeded, bool logNameFree)
{
    const QString installDir = m_config.installDir;
    if (!succeeded && !m_createdFolder.isEmpty())
        InstallJournal::removeEmptyFolders(installDir, m_createdFolder);
    m_createdFolder.clear();
    m_journal.end();
    // The package is of no use to a later run, which downloads afresh into a
    // folder of its own; the log stays beside it after a failure, and moves
    // beside the product after a success, unless the product has an entry
    // of that name itself (or the copy fails).
    const QString placed = QDir(installDir).absoluteFilePath(InstallLog::fileName());
    if (succeeded && logNameFree && m_log.copyTo(placed)) {
        m_logPath = placed;
        m_log.close();
        removeDirectory(QDir(m_runFolder.path()));
    } else if (succeeded) {
        m_log.close();
        QFile::remove(packagePath());
    } else if (!m_runFolder.path().isEmpty()) {
        if (!m_packageName.isEmpty()) {
            QFile::remove(packagePath());
            QFile::remove(packagePath() + QStringLiteral(".tmp"));
        }
        m_log.close();
        m_failed = true;
    }
}

void InstallRun::setStage(Stage stage)
{
    m_stage = stage;
    emit stageChanged(stage);
}

void InstallRun::onDownloadProgress(qint64 received, qint64 total)
{
    // A server that announces no length gives nothing to measure against.
    if (total > 0)
        emit progress(Stage::Downloading, static_cast<double>(received) / total, m_packageName);
}

void InstallRun::onDownloadDone(int error, const QString &message)
{
    if (error != NoError)
        finish(error, message);
    else
        startUnpacking();
}

void InstallRun::startUnpacking()
{
    const QString path = packagePath();
    if (!QFileInfo(path).isFile()) {
        finish(PackageMissing,
               pageText(QT_TRANSLATE_NOOP("InstallWidget", "The install zip is not exist.")));
        return;
    }
    m_log.write(QStringLiteral("Downloaded %1 (%2 bytes)").arg(path).arg(QFileInfo(path).size()));
    setStage(Stage::Unpacking);

    m_worker = new UnzipWorker;
    m_worker->setRequiredFiles({ m_config.programName, QStringLiteral("uninst.exe") });
    m_worker->setJournal(&m_journal);
    m_worker->setLog(&m_log);
    m_worker->setRunId(m_runId);
    m_workerThread = new QThread(this);
    m_worker->moveToThread(m_workerThread);
    connect(this, &InstallRun::copyRequested, m_worker, &UnzipWorker::doWork);
    connect(m_worker, &UnzipWorker::progress, this, [this](double percent, const QString &current) {
        emit progress(Stage::Unpacking, percent, current);
    });
    connect(m_worker, &UnzipWorker::done, this, &InstallRun::finish);
    m_workerThread->start(QThread::InheritPriority);

    if (ensureInstallFolder())
        emit copyRequested(path, m_config.bytesTotal, m_config.installDir);
    else
        finish(TargetDirMissing,
               pageText(QT_TRANSLATE_NOOP("InstallWidget", "Target dir is not exist.")));
}

void InstallRun::finish(int error, const QString &message)
{
    // Asked before cancel() lets the worker go.
    const bool logNameFree = !m_worker || !m_worker->usesLogName();
    cancel();
    QString result = message;
    if (error != NoError) {
        m_log.write(QStringLiteral("Installation failed (%1): %2").arg(error).arg(message));
        endRun(false, logNameFree);
    } else {
        // Registry and shortcut results do not change the outcome: the
        // product counts as installed once its files are in place. Each
        // result goes into the log; a product that no shortcut starts is
        // worth a word to the user, who would not find it otherwise.
        if (!registerInstallation(m_config, [this](const QString &line) { m_log.write(line); }))
            result
                = pageText(QT_TRANSLATE_NOOP("InstallWidget",
                                             "%1 is installed, but no shortcut to it could be "
                                             "created. Start it from the folder %2."))
                      .arg(m_config.displayName(), QDir::toNativeSeparators(m_config.installDir));
        m_log.write(QStringLiteral("Installation succeeded"));
        if (!logNameFree)
            m_log.write(QStringLiteral("The package has its own %1; this log stays in %2")
                            .arg(InstallLog::fileName(), m_runFolder.path()));
        endRun(true, logNameFree);
    }
    // Held to the very end: the folder this run created is gone by now.
    m_folderLock.release();
    setStage(Stage::Finished);
    emit finished(error, result);
}
