#pragma once

#include "wizard/wizard_widget.h"

// The page shown after a successful installation: "Launch" starts the
// installed product from its install folder and closes the installer.
class SuccessWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit SuccessWidget(QWidget *parent = nullptr);

private:
    void launchProduct();
};
