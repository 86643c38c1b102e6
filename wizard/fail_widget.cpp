#include "wizard/fail_widget.h"

#include "config/installer_config.h"
#include "engine/install_log.h"
#include "wizard/result_page_layout.h"

#include <QDesktopServices>
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
    const QString path = InstallLog::latestPath();
    if (QFileInfo::exists(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void FailWidget::openSupport()
{
    // A bare host and path count as a web address.
    const QString supportUrl = installerConfig()->supportUrl;
    if (!supportUrl.isEmpty())
        QDesktopServices::openUrl(QUrl::fromUserInput(supportUrl));
}
