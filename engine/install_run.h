#pragma once

#include "config/installer_config.h"
#include "engine/install_log.h"
#include "engine/run_folder.h"
#include "engine/unpack/install_folder_lock.h"
#include "engine/unpack/install_journal.h"

#include <QObject>
#include <QString>
#include <QStringList>

class DownloadTask;
class QThread;
class UnzipWorker;

// One installation, from the package's URL to a registered product: makes
// the run's private temporary folder, its journal and its log, downloads the
// package there with the checks the publisher asked for, has a worker thread
// unpack and place it in the install folder, registers the product and
// cleans up. It owns every file it creates and removes each again, whatever
// the outcome; what a killed run leaves behind is put right by
// recoverInterruptedRuns() at the next start. From its start to its end it
// holds the install folder's lock: a second installation into the same
// folder, by any user, is refused at once (it does not wait).
//
// It reports where it is (stage, fraction of the stage, current item) and
// ends every run that it starts with exactly one finished(). Lives on the
// GUI thread; knows nothing of widgets.
class InstallRun : public QObject
{
    Q_OBJECT

public:
    enum class Stage { Idle, Downloading, Unpacking, Finished };
    Q_ENUM(Stage)

    // config names the product, the package and the user's choices (install
    // folder, start with the computer); the run keeps its own copy.
    explicit InstallRun(const InstallerConfig &config, QObject *parent = nullptr);
    // A run destroyed before its end stops where it is; its journal stays
    // for the next start to put right. A failed run's folder, kept for its
    // log until now, goes.
    ~InstallRun() override;

    // Where the run keeps its journal: this user's journal folder unless
    // set before start().
    void setJournalFolder(const QString &folder) { m_journalFolder = folder; }

    // Begins the run; does nothing once it has begun.
    void start();
    // Stops the download and the worker without a finished() signal.
    void cancel();

    Stage stage() const { return m_stage; }
    // The package's file name in the run folder, known once the run began.
    QString packageName() const { return m_packageName; }
    // installer.log of this run: beside the product after a success (unless
    // the package has an entry of that name), in the run folder after a
    // failure (until the run is destroyed); empty before start().
    QString logPath() const { return m_logPath; }

    // Puts right what runs killed on this machine by this user left behind
    // (undoes or finishes their placement, removes their folders). One line
    // per action, for the log.
    static QStringList recoverInterruptedRuns(const QString &journalFolder
                                              = InstallJournal::defaultFolder());

signals:
    void stageChanged(InstallRun::Stage stage);
    // fraction runs from 0 to 1 within a stage: bytes received of the
    // announced length while downloading (only sent when the server
    // announces one), bytes unpacked and placed of the package's listing
    // while unpacking. current names the package or the entry in work.
    void progress(InstallRun::Stage stage, double fraction, const QString &current);
    // Hands the downloaded package (despite the name, a file) to the worker.
    void copyRequested(const QString &source_dir, qulonglong bytes_total,
                       const QString &target_dir);
    // The single end of the run; error 0 is success (see InstallError).
    // After a success, message is empty or a note the user should read (no
    // shortcut starts the product).
    void finished(int error, const QString &message);

private:
    // NoError, or the code the run ends with (message says why).
    int beginRun(QString *message);
    bool ensureInstallFolder();
    void endRun(bool succeeded, bool logNameFree);
    void setStage(Stage stage);
    QString packagePath() const { return m_runFolder.filePath(m_packageName); }

    void onDownloadProgress(qint64 received, qint64 total);
    void onDownloadDone(int error, const QString &message);
    void startUnpacking();
    void finish(int error, const QString &message);

    InstallerConfig m_config;
    QString m_journalFolder = InstallJournal::defaultFolder();
    Stage m_stage = Stage::Idle;

    QString m_runId;
    RunFolder m_runFolder;
    InstallLog m_log;
    QString m_logPath;
    InstallJournal m_journal;
    InstallFolderLock m_folderLock;
    QString m_packageName;
    QString m_createdFolder;
    bool m_failed = false;

    DownloadTask *m_downloadTask = nullptr;
    QThread *m_workerThread = nullptr;
    UnzipWorker *m_worker = nullptr;
};
