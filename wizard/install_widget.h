#pragma once

#include "engine/install_run.h"
#include "wizard/wizard_widget.h"

#include <QString>

class QFrame;
class QLabel;
class QProgressBar;
class QPropertyAnimation;
class QTimer;

// The progress page shows one installation: it starts the engine's run with
// the user's choices, shows its progress on one bar (download 0-50,
// unpacking and placing 50-100) under a slideshow of three pictures, and
// ends in finish(), which tells the user of a failure and moves the wizard
// on.
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
    // The run handing the downloaded package (despite the name, a file) to
    // its worker; passed on for whoever watches the page.
    void copyRequested(const QString &source_dir, qulonglong bytes_total,
                       const QString &target_dir);

private:
    void buildWidgets();

    void onStageChanged(InstallRun::Stage stage);
    void onProgress(InstallRun::Stage stage, double fraction, const QString &current);
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

    InstallRun *m_run = nullptr;
};
