#pragma once

#include "toolkit/dialog.h"

#include <QDialogButtonBox>
#include <QMap>

class QHBoxLayout;
class QPushButton;

// A Dialog with a title and a row of standard buttons at the bottom of its
// client area. Pressing a button records which one it was and closes the
// dialog; Y, N and O press Yes, No and No to All.
class DialogWithButtons : public Dialog
{
    Q_OBJECT

public:
    using ButtonTexts = QMap<QDialogButtonBox::StandardButton, QString>;

    // buttons: the standard buttons to show; defaultButton: the one Enter
    // presses (ignored when it is not among buttons); buttonTexts: texts that
    // replace the default ones (an empty text keeps the default).
    DialogWithButtons(const QString &title, QDialogButtonBox::StandardButtons buttons,
                      QDialogButtonBox::StandardButton defaultButton,
                      const ButtonTexts &buttonTexts, QWidget *parent = nullptr,
                      Qt::WindowFlags flags = Qt::WindowFlags());

    // The push button made for the standard button, or null.
    QPushButton *button(QDialogButtonBox::StandardButton which) const;
    // The button that closed the dialog; NoButton (0) when it was closed
    // any other way.
    QDialogButtonBox::StandardButton clickedButton() const { return m_clickedButton; }

    // The translated text a standard button shows unless the caller gives one.
    static QString defaultText(QDialogButtonBox::StandardButton which);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createButton(QDialogButtonBox::StandardButton which);
    void onButtonClicked();
    void clickIfPresent(QDialogButtonBox::StandardButton which);

    QMap<QPushButton *, QDialogButtonBox::StandardButton> m_buttons;
    ButtonTexts m_buttonTexts;
    QDialogButtonBox::StandardButton m_clickedButton = QDialogButtonBox::NoButton;
    QHBoxLayout *m_buttonRow = nullptr;
};
