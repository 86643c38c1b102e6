#pragma once

#include <QWidget>

class StatusReport;

// Velmar's only window: says that the product runs, from which working
// folder, and which URL-protocol link started it, so that a person watching
// the demo sees at a glance what the installer launched.
class VelmarWindow : public QWidget
{
    Q_OBJECT

public:
    explicit VelmarWindow(const StatusReport &report, QWidget *parent = nullptr);
};
