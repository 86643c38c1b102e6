#include "wizard/wizard_widget.h"

WizardWidget::WizardWidget(QWidget *parent)
    : Frame(parent, false, 12)
{
}

void WizardWidget::start() { }

void WizardWidget::stop() { }
