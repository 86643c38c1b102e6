#include "wizard/starting_widget.h"

StartingWidget::StartingWidget(QWidget *parent)
    : WizardWidget(parent)
{
}
