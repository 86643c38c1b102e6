#pragma once

#include "wizard/wizard_widget.h"

// The start page: the user agreement, the install folder and the install button.
class StartingWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit StartingWidget(QWidget *parent = nullptr);
};
