#include "wizard/success_widget.h"

SuccessWidget::SuccessWidget(QWidget *parent)
    : WizardWidget(parent)
{
}
