#include "wizard/install_widget.h"

InstallWidget::InstallWidget(QWidget *parent)
    : WizardWidget(parent)
{
}

void InstallWidget::start() { }

void InstallWidget::stop() { }
