#include "wizard/fail_widget.h"

#include "app/installer_config.h"
#include "wizard/result_page_layout.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>

FailWidget::FailWidget(QWidget *parent)
    : WizardWidget(parent)
{
    QPushButton *support
        = buildResultPage(this, tr("The installation failed"), "fail", tr("Support"), "support");
    connect(support, &QPushButton::clicked, this, &FailWidget::openSupport);
}

void FailWidget::openSupport()
{
    // A bare host and path count as a web address.
    const QString supportUrl = installerConfig()->supportUrl;
    if (!supportUrl.isEmpty())
        QDesktopServices::openUrl(QUrl::fromUserInput(supportUrl));
}
