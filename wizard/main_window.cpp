#include "wizard/main_window.h"

#include "app/installer_config.h"

#include <QIcon>

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
{
    setWindowIcon(QIcon(QStringLiteral(":/style/installer.ico")));
    setWindowTitle(installerConfig()->productText);
}
