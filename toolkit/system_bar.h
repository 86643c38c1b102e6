#pragma once

#include <QWidget>

class PushButton;

// The minimize, maximize/restore and close buttons of a frameless window.
// The bar follows the window's state: a maximized window shows the restore
// button in place of the maximize button.
class SystemBar : public QWidget
{
    Q_OBJECT

public:
    enum Button {
        MinimizeButton = 1,
        MaximizeButton = 2, // maximize and restore
        CloseButton = 4,
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    // window is the window the buttons act on; the bar does not own it.
    SystemBar(QWidget *window, Buttons buttons, QWidget *parent = nullptr);

    // Does nothing when the bar has no close button.
    void setCloseEnabled(bool enabled);

    PushButton *minimizeButton() const { return m_minimize; }
    PushButton *maximizeButton() const { return m_maximize; }
    PushButton *restoreButton() const { return m_restore; }
    PushButton *closeButton() const { return m_close; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PushButton *createButton(const QString &objectName, const QString &toolTip);

    QWidget *m_window;
    PushButton *m_minimize = nullptr;
    PushButton *m_maximize = nullptr;
    PushButton *m_restore = nullptr;
    PushButton *m_close = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SystemBar::Buttons)
