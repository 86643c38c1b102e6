#pragma once

class QWidget;

// Brings a window to the front when a second installer start is handed over
// to this one: activating alone would leave a minimized window on the task
// bar, so it is restored first, then raised and activated.
void bringToFront(QWidget *window);
