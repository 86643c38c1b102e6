#include "wizard/install_widget.h"

#include "app/installer_config.h"
#include "engine/download_task.h"
#include "engine/install_error.h"
#include "engine/install_journal.h"
#include "engine/package_mirrors.h"
#include "engine/platform_helpers.h"
#include "engine/registration.h"
#include "engine/unzip_worker.h"
#include "toolkit/messagebox.h"
#include "wizard/main_window.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int slideIntervalMs = 5000;
constexpr int slideAnimationMs = 500;

// The download fills the first half of the bar, unpacking and placing the
// second.
constexpr int downloadShare = 50;
constexpr int fullBar = 100;

// The package is stored in the temporary folder under the last segment of
// its URL. Anything but a plain file name there (a folder reference, or a
// backslash that Windows would read as a separator) could make the page
// delete or write a file outside the temporary folder.
bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('\\'));
}

} // namespace

InstallWidget::InstallWidget(QWidget *parent)
    : WizardWidget(parent)
{
    buildWidgets();

    m_slideTimer = new QTimer(this);
    m_slideTimer->setInterval(slideIntervalMs);
    connect(m_slideTimer, &QTimer::timeout, this, &InstallWidget::showNextImage);
    m_slideTimer->start();
}

InstallWidget::~InstallWidget()
{
    // A page torn down in the middle of a run (the application ending) must
    // not leave a running thread or a download behind.
    stop();
}

void InstallWidget::buildWidgets()
{
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);

    // The pictures and the container's size come from the style sheets;
    // the page only moves the frames around.
    m_container = new QFrame(this);
    m_container->setObjectName(QStringLiteral("container"));
    for (int i = 0; i < 3; ++i) {
        m_images[i] = new QFrame(m_container);
        m_images[i]->setObjectName(QStringLiteral("image%1").arg(i + 1));
        if (i > 0)
            m_images[i]->move(-2000, 0);
    }
    pageLayout->addWidget(m_container);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setRange(0, fullBar);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->setAccessibleName(tr("Installation progress"));
    pageLayout->addWidget(m_progressBar);

    m_statusLabel = new QLabel(tr("In progress"), this);
    m_statusLabel->setObjectName(QStringLiteral("status"));
    m_percentLabel = new QLabel(QStringLiteral("0%"), this);
    m_percentLabel->setObjectName(QStringLiteral("percent"));

    auto *statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(12, 0, 0, 0);
    statusRow->setSpacing(10);
    statusRow->addWidget(m_statusLabel);
    statusRow->addWidget(m_percentLabel);
    statusRow->addStretch(1);
    pageLayout->addLayout(statusRow, 1);

    for (QPropertyAnimation **animation : { &m_outgoing, &m_incoming }) {
        *animation = new QPropertyAnimation(this);
        (*animation)->setPropertyName("pos");
        (*animation)->setLoopCount(1);
        (*animation)->setDuration(slideAnimationMs);
    }
}

QString InstallWidget::packagePath() const
{
    return m_runFolder.filePath(m_packageName);
}

bool InstallWidget::beginRun(QString *message)
{
    m_runId = uniqueName();
    if (!m_runFolder.create(m_runId)) {
        *message = m_runFolder.errorMessage();
        return false;
    }
    m_log.open(m_runFolder.filePath(InstallLog::fileName()));
    if (!m_journal.begin(InstallJournal::defaultFolder(), m_runId)
        || !m_journal.add(QStringLiteral("temp"), m_runFolder.path())) {
        *message = tr("The installation journal cannot be written in %1.")
                       .arg(QDir::toNativeSeparators(InstallJournal::defaultFolder()));
        m_log.write(*message);
        return false;
    }
    const InstallerConfig *config = installerConfig();
    m_log.write(QStringLiteral("Installer %1 installing %2 %3")
                    .arg(QCoreApplication::applicationVersion(), config->productName,
                         config->productVersion));
    m_log.write(QStringLiteral("Package URL: ") + config->packageUrl);
    m_log.write(QStringLiteral("Install folder: ") + config->installDir);
    m_log.write(QStringLiteral("Temporary folder: ") + m_runFolder.path());
    m_log.write(QStringLiteral("Journal: ") + m_journal.path());
    return true;
}

bool InstallWidget::ensureInstallFolder(const QString &folder)
{
    QString outermost;
    for (QString path = QDir::cleanPath(QDir(folder).absolutePath()); !QFileInfo::exists(path);) {
        outermost = path;
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    if (!outermost.isEmpty()) {
        m_journal.add(QStringLiteral("created"), outermost);
        m_createdFolder = outermost;
        m_log.write(QStringLiteral("Creating the install folder from ") + outermost);
    }
    return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

void InstallWidget::endRun(bool succeeded)
{
    const QString installDir = installerConfig()->installDir;
    if (!succeeded && !m_createdFolder.isEmpty())
        InstallJournal::removeEmptyFolders(installDir, m_createdFolder);
    m_createdFolder.clear();
    m_journal.end();
    // The package is of no use to a later run, which downloads afresh into a
    // folder of its own; the log stays beside it after a failure, and moves
    // beside the product after a success.
    if (succeeded) {
        m_log.copyTo(QDir(installDir).absoluteFilePath(InstallLog::fileName()));
        m_log.close();
        removeDirectory(QDir(m_runFolder.path()));
    } else if (!m_runFolder.path().isEmpty()) {
        QFile::remove(packagePath());
        QFile::remove(packagePath() + QStringLiteral(".tmp"));
        m_log.close();
    }
}

void InstallWidget::start()
{
    if (m_downloadTask)
        return;

    const InstallerConfig *config = installerConfig();
    QString message;
    if (!beginRun(&message)) {
        finish(LocalFileFailed, message);
        return;
    }
    m_packageName = fileNameFromPath(packageMirrors(config->packageUrl).value(0));
    if (!isPlainFileName(m_packageName)) {
        finish(LocalFileFailed, QStringLiteral("Can't open the local file."));
        return;
    }
    const QString path = packagePath();

    m_statusLabel->setText(tr("Download the package"));

    m_downloadTask = new DownloadTask(config->packageUrl, path, this);
    m_downloadTask->setPackageChecks(config->packageSha256, config->packagePublicKey);
    connect(m_downloadTask, &DownloadTask::progress, this, &InstallWidget::onDownloadProgress);
    connect(m_downloadTask, &DownloadTask::done, this, &InstallWidget::onDownloadDone);
    connect(m_downloadTask, &DownloadTask::logMessage, this,
            [this](const QString &line) { m_log.write(line); });
    m_downloadTask->start();
}

void InstallWidget::stop()
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

void InstallWidget::onDownloadProgress(qint64 received, qint64 total)
{
    // A server that announces no length leaves the bar where it is.
    if (total <= 0)
        return;
    const int value = static_cast<int>(static_cast<double>(received) / total * downloadShare);
    showProgress(value, m_packageName);
}

void InstallWidget::onDownloadDone(int error, const QString &message)
{
    if (error != NoError)
        finish(error, message);
    else
        startUnpacking();
}

void InstallWidget::startUnpacking()
{
    const QString path = packagePath();
    if (!QFileInfo(path).isFile()) {
        finish(PackageMissing, tr("The install zip is not exist."));
        return;
    }
    m_log.write(QStringLiteral("Downloaded %1 (%2 bytes)").arg(path).arg(QFileInfo(path).size()));

    m_statusLabel->setText(tr("In progress"));
    m_percentLabel->setText(tr("unzipping (50%)"));

    const InstallerConfig *config = installerConfig();
    m_worker = new UnzipWorker;
    m_worker->setRequiredFiles({ config->programName, QStringLiteral("uninst.exe") });
    m_worker->setJournal(&m_journal);
    m_worker->setLog(&m_log);
    m_worker->setRunId(m_runId);
    m_workerThread = new QThread(this);
    m_worker->moveToThread(m_workerThread);
    connect(this, &InstallWidget::copyRequested, m_worker, &UnzipWorker::doWork);
    connect(m_worker, &UnzipWorker::progress, this, &InstallWidget::onUnzipProgress);
    connect(m_worker, &UnzipWorker::done, this, &InstallWidget::finish);
    m_workerThread->start(QThread::InheritPriority);

    if (ensureInstallFolder(config->installDir))
        emit copyRequested(path, config->bytesTotal, config->installDir);
    else
        finish(TargetDirMissing, tr("Target dir is not exist."));
}

void InstallWidget::onUnzipProgress(double percent, const QString &current)
{
    showProgress(downloadShare + static_cast<int>(percent * downloadShare), current);
}

void InstallWidget::showProgress(int value, const QString &name)
{
    // The bar ignores values above its maximum by itself. The label is
    // clamped as well: a bytesTotal smaller than the real size of the
    // product would otherwise show figures such as 112%.
    m_progressBar->setValue(value);
    const int shown = std::min(value, fullBar);
    m_percentLabel->setText(QStringLiteral("%1 (%2%)").arg(name, QString::number(shown)));
}

void InstallWidget::finish(int error, const QString &message)
{
    stop();

    InstallerConfig *config = installerConfig();
    if (error != NoError) {
        config->installSucceeded = false;
        m_log.write(QStringLiteral("Installation failed (%1): %2").arg(error).arg(message));
        endRun(false);
        Messagebox::question(MainWindow::instance(), tr("Install ") + config->productText,
                             tr("Failed to install(") + message + QLatin1Char(')'),
                             QDialogButtonBox::Ok, QDialogButtonBox::Ok, {});
    } else {
        // Registry and shortcut results do not change the outcome: the
        // product counts as installed once its files are in place. Each
        // result goes into the log.
        registerInstallation([this](const QString &line) { m_log.write(line); });
        m_log.write(QStringLiteral("Installation succeeded"));
        endRun(true);
        config->installSucceeded = true;
    }

    if (MainWindow *window = MainWindow::instance())
        window->nextPage();
}

void InstallWidget::showNextImage()
{
    const QRect area = m_container->contentsRect();
    m_outgoing->stop();
    m_incoming->stop();
    m_outgoing->setStartValue(area.topLeft());
    m_outgoing->setEndValue(QPoint(area.left() - area.width(), area.top()));
    m_incoming->setStartValue(area.topRight());
    m_incoming->setEndValue(area.topLeft());

    // Slide i comes in while the one before it (cyclically) goes out.
    m_slideIndex = (m_slideIndex + 1) % 3;
    QFrame *outgoing = m_images[(m_slideIndex + 2) % 3];
    QFrame *incoming = m_images[m_slideIndex];

    m_outgoing->setTargetObject(outgoing);
    m_incoming->setTargetObject(incoming);
    incoming->move(area.right(), 0);
    m_outgoing->start(QAbstractAnimation::KeepWhenStopped);
    m_incoming->start(QAbstractAnimation::KeepWhenStopped);
}
