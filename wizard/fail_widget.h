#pragma once

#include "wizard/wizard_widget.h"

// The page shown when the installation failed or cannot start, with the link to the support page.
class FailWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit FailWidget(QWidget *parent = nullptr);
};
