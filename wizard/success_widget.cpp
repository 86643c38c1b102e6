#include "wizard/success_widget.h"

#include "config/installer_config.h"
#include "config/startup_environment.h"
#include "wizard/main_window.h"
#include "wizard/result_page_layout.h"

#include <QDir>
#include <QProcess>
#include <QPushButton>

SuccessWidget::SuccessWidget(QWidget *parent)
    : WizardWidget(parent)
{
    QPushButton *launch
        = buildResultPage(this, tr("Install successfully"), "success", tr("Launch"), "launch");
    launch->setAccessibleName(tr("Launch"));
    launch->setAccessibleDescription(
        tr("Starts %1 and closes the installer").arg(installerConfig()->displayName()));
    connect(launch, &QPushButton::clicked, this, &SuccessWidget::launchProduct);
}

void SuccessWidget::launchProduct()
{
    const InstallerConfig *config = installerConfig();
    const QDir installDir(config->installDir);

    // The product runs on its own after the installer has gone, from its
    // own folder so that it finds its files, in the environment the user
    // started the installer with (not the installer's own scale). A product
    // that does not start is not reported: the installer closes all the same.
    QProcess product;
    product.setProgram(installDir.absoluteFilePath(config->programName));
    product.setWorkingDirectory(installDir.absolutePath());
    product.setProcessEnvironment(StartupEnvironment::get());
    product.startDetached();

    if (MainWindow *window = MainWindow::instance())
        window->close();
}
