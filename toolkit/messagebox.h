#pragma once

#include "toolkit/dialog_with_buttons.h"

class QLabel;

// A fixed-size DialogWithButtons with an optional icon and a word-wrapped
// text above its buttons. question() shows one modally and says which button
// the user pressed.
class Messagebox : public DialogWithButtons
{
    Q_OBJECT

public:
    // iconNumber picks the style sheet's icon (object name "msg_icon<n>");
    // 0 shows none.
    Messagebox(const QString &title, const QString &text, QDialogButtonBox::StandardButtons buttons,
               QDialogButtonBox::StandardButton defaultButton, const ButtonTexts &buttonTexts,
               int iconNumber, QWidget *parent = nullptr);

    QLabel *textLabel() const { return m_textLabel; }

    // Runs a message box with icon 2 modally over parent and returns the
    // button pressed, or NoButton (0) when the box was closed otherwise
    // (Escape, its close button, a system close command).
    static QDialogButtonBox::StandardButton
    question(QWidget *parent, const QString &title, const QString &text,
             QDialogButtonBox::StandardButtons buttons,
             QDialogButtonBox::StandardButton defaultButton,
             const ButtonTexts &buttonTexts = ButtonTexts());

private:
    QLabel *m_textLabel = nullptr;
};
