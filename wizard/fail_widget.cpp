#include "wizard/fail_widget.h"

FailWidget::FailWidget(QWidget *parent)
    : WizardWidget(parent)
{
}
