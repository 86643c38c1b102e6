#pragma once

#include <QPushButton>

// The button of the system bar: flat, never focused, never a dialog's default
// button, and deaf to the keys that would press it from the keyboard, so that
// Space or Enter meant for a dialog never minimizes or closes a window.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};
