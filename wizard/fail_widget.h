#pragma once

#include "wizard/wizard_widget.h"

// The page shown after a failed installation: "Support" opens the product's
// support page in the browser; the user leaves with the close button.
class FailWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit FailWidget(QWidget *parent = nullptr);

private:
    void openSupport();
};
