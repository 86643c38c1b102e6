#include "wizard/fail_widget.h"

#include "config/installer_config.h"
#include "engine/install_log.h"
#include "toolkit/messagebox.h"
#include "wizard/log_opener.h"
#include "wizard/result_page_layout.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

FailWidget::FailWidget(QWidget *parent)
    : WizardWidget(parent)
{
    QPushButton *support
        = buildResultPage(this, tr("The installation failed"), "fail", tr("Support"), "support");
    support->setAccessibleName(tr("Support"));
    support->setAccessibleDescription(tr("Opens the support page in the browser"));
    connect(support, &QPushButton::clicked, this, &FailWidget::openSupport);

    // The run's log sits beside the support link: it is what support asks for.
    m_viewLog = new QPushButton(tr("View log"), this);
    m_viewLog->setObjectName(QStringLiteral("view_log"));
    m_viewLog->setCursor(Qt::PointingHandCursor);
    m_viewLog->setAccessibleName(tr("View log"));
    m_viewLog->setAccessibleDescription(tr("Opens the installation log for support"));
    connect(m_viewLog, &QPushButton::clicked, this, &FailWidget::openLog);
    if (auto *pageLayout = qobject_cast<QVBoxLayout *>(layout())) {
        pageLayout->removeWidget(support);
        auto *buttons = new QHBoxLayout;
        buttons->setContentsMargins(0, 0, 0, 0);
        buttons->setSpacing(12);
        buttons->addStretch(1);
        buttons->addWidget(support);
        buttons->addWidget(m_viewLog);
        buttons->addStretch(1);
        pageLayout->addLayout(buttons);
    }
}

void FailWidget::showEvent(QShowEvent *event)
{
    m_viewLog->setEnabled(QFileInfo::exists(InstallLog::latestPath()));
    WizardWidget::showEvent(event);
}

void FailWidget::openLog()
{
    const QString log = InstallLog::latestPath();
    if (!QFileInfo::exists(log))
        return;
    // The run's folder goes when the installer ends, perhaps before an
    // editor started just now has read the log. The user is shown a copy
    // that stays: one per product in the temporary folder, the newest
    // failure's.
    const QString copy = QDir::temp().absoluteFilePath(installerConfig()->productName
                                                       + QLatin1Char('-') + InstallLog::fileName());
    QFile::remove(copy);
    const bool copied = QFile::copy(log, copy);
    // As private as the run's folder was.
    if (copied)
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString shown = copied ? copy : log;
    LogOpener::open(shown, this, [this, shown] {
        Messagebox::question(window(), tr("Install ") + installerConfig()->displayName(),
                             tr("No program could open the installation log. You find it at %1.")
                                 .arg(QDir::toNativeSeparators(shown)),
                             QDialogButtonBox::Ok, QDialogButtonBox::Ok, {});
    });
}

void FailWidget::openSupport()
{
    // A bare host and path count as a web address.
    const QString supportUrl = installerConfig()->supportUrl;
    if (!supportUrl.isEmpty())
        QDesktopServices::openUrl(QUrl::fromUserInput(supportUrl));
}
