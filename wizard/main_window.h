#pragma once

#include <QWidget>

// The installer's only top-level window. Placeholder until the window
// toolkit lands: a plain frameless window.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
};
