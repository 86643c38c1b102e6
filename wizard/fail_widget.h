#pragma once

#include "wizard/wizard_widget.h"

class QPushButton;

// The page shown after a failed installation: "Support" opens the product's
// support page in the browser, "View log" the run's installer.log; the user
// leaves with the close button.
class FailWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit FailWidget(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void openSupport();
    void openLog();

    QPushButton *m_viewLog = nullptr;
};
