#include "wizard/install_widget.h"

#include "config/installer_config.h"
#include "engine/install_error.h"
#include "toolkit/messagebox.h"
#include "wizard/main_window.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPropertyAnimation>
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

void InstallWidget::start()
{
    if (m_run)
        return;

    m_run = new InstallRun(*installerConfig(), this);
    connect(m_run, &InstallRun::stageChanged, this, &InstallWidget::onStageChanged);
    connect(m_run, &InstallRun::progress, this, &InstallWidget::onProgress);
    connect(m_run, &InstallRun::copyRequested, this, &InstallWidget::copyRequested);
    connect(m_run, &InstallRun::finished, this, &InstallWidget::finish);
    m_run->start();
}

void InstallWidget::stop()
{
    if (m_run)
        m_run->cancel();
}

void InstallWidget::onStageChanged(InstallRun::Stage stage)
{
    if (stage == InstallRun::Stage::Downloading) {
        m_statusLabel->setText(tr("Download the package"));
    } else if (stage == InstallRun::Stage::Unpacking) {
        // The bar keeps its last download value until the first file is in.
        m_statusLabel->setText(tr("In progress"));
        m_percentLabel->setText(tr("unzipping (50%)"));
    }
}

void InstallWidget::onProgress(InstallRun::Stage stage, double fraction, const QString &current)
{
    const int share = static_cast<int>(fraction * downloadShare);
    showProgress(stage == InstallRun::Stage::Unpacking ? downloadShare + share : share, current);
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
    config->installSucceeded = error == NoError;
    if (error != NoError) {
        Messagebox::question(MainWindow::instance(), tr("Install ") + config->displayName(),
                             tr("Failed to install(") + message + QLatin1Char(')'),
                             QDialogButtonBox::Ok, QDialogButtonBox::Ok, {});
    } else if (!message.isEmpty()) {
        // Installed, with something the user needs to know (the run's note
        // is translated already).
        Messagebox::question(MainWindow::instance(), tr("Install ") + config->displayName(),
                             message, QDialogButtonBox::Ok, QDialogButtonBox::Ok, {});
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
