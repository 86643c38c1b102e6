#pragma once

#include "engine/install_journal.h"
#include "engine/install_log.h"
#include "engine/run_folder.h"
#include "wizard/wizard_widget.h"

#include <QString>

class DownloadTask;
class QFrame;
class QLabel;
class QProgressBar;
class QPropertyAnimation;
class QThread;
class QTimer;
class UnzipWorker;

// The progress page conducts one whole installation: it downloads the
// package into the run's private temporary folder, has the worker thread
// unpack and place it, and registers the product, keeping the run's journal
// and log. One bar shows the whole run (download 0-50, unpacking and
// placing 50-100) under a slideshow of three pictures. Every run, good or
// bad, ends in finish(). The first page of a process also puts right what
// an earlier, interrupted run left behind.
class InstallWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit InstallWidget(QWidget *parent = nullptr);
    ~InstallWidget() override;

    void start() override;
    void stop() override;

    // The single end of every installation run; error 0 is success.
    void finish(int error, const QString &message);

signals:
    // Hands the downloaded package (despite the name, a file) to the worker.
    void copyRequested(const QString &source_dir, qulonglong bytes_total,
                       const QString &target_dir);

private:
    void buildWidgets();
    QString packagePath() const;
    // Starts the run's temporary folder, log and journal; false when one
    // cannot be made, with the reason in *message.
    bool beginRun(QString *message);
    // Creates the install folder when missing, noting in the journal the
    // outermost folder made, so a failed run can take it away again.
    bool ensureInstallFolder(const QString &folder);
    void endRun(bool succeeded);

    void onDownloadProgress(qint64 received, qint64 total);
    void onDownloadDone(int error, const QString &message);
    void startUnpacking();
    void onUnzipProgress(double percent, const QString &current);
    void showNextImage();
    void showProgress(int value, const QString &name);

    int m_slideIndex = 0;
    QTimer *m_slideTimer = nullptr;
    QFrame *m_container = nullptr;
    QFrame *m_images[3] = {};
    QPropertyAnimation *m_outgoing = nullptr;
    QPropertyAnimation *m_incoming = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_statusLabel = nullptr;
    QLabel *m_percentLabel = nullptr;

    DownloadTask *m_downloadTask = nullptr;
    QString m_packageName;
    QString m_runId;
    RunFolder m_runFolder;
    InstallLog m_log;
    InstallJournal m_journal;
    QString m_createdFolder;
    QThread *m_workerThread = nullptr;
    UnzipWorker *m_worker = nullptr;
};
