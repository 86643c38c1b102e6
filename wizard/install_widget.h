#pragma once

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

// The progress page runs one whole installation: it downloads the package
// into the temporary folder, has it unpacked and copied into the install
// folder on a worker thread, and registers the product. One bar shows the
// whole run (download 0-50, copy 50-100) under a slideshow of three pictures.
// Every run, good or bad, ends in finish().
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
    QThread *m_workerThread = nullptr;
    UnzipWorker *m_worker = nullptr;
};
