#pragma once

#include "toolkit/frame.h"

// The base of the wizard's pages. A page is a Frame, so dragging any empty
// spot of it moves the window; the main window calls start when the page
// becomes current through the page flow, and stop ends whatever start began.
class WizardWidget : public Frame
{
    Q_OBJECT

public:
    explicit WizardWidget(QWidget *parent = nullptr);

    virtual void start();
    virtual void stop();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
