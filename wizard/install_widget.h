#pragma once

#include "wizard/wizard_widget.h"

// The progress page: downloads, unpacks, copies and registers the product
// while a slideshow runs. start begins the installation, stop ends it.
class InstallWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit InstallWidget(QWidget *parent = nullptr);

    void start() override;
    void stop() override;
};
