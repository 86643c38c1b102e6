#pragma once

#include <qnamespace.h>

class QWidget;

// The native behaviour shared by the toolkit's frameless windows and dialogs,
// so that both size, hit-test and answer system commands the same way.

// The flags every frameless window and dialog of the toolkit adds to its
// creator's: frameless, with a system menu and the minimize and maximize
// commands, so that the taskbar and the keyboard still offer them.
constexpr Qt::WindowFlags framelessWindowFlags = Qt::FramelessWindowHint | Qt::WindowSystemMenuHint
    | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;

// Whether the user may resize the widget's window through its sizing border:
// a visible window in the plain normal state, without the fixed-size flag,
// whose minimum and maximum sizes differ.
bool isWindowResizable(const QWidget *widget);

// Gives a native window message to the frameless handling: the sizing border
// borderOffset pixels inside the window's outer edge, sizing cursors, no
// non-client painting, and the system commands. Returns true when the message
// was handled (then *result holds the answer for the system). Only Windows
// messages are understood; elsewhere it always returns false.
bool handleFramelessNativeEvent(QWidget *widget, int borderOffset, void *message, long *result);
