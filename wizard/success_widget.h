#pragma once

#include "wizard/wizard_widget.h"

// The page shown after a successful installation, with the button that launches the product.
class SuccessWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit SuccessWidget(QWidget *parent = nullptr);
};
