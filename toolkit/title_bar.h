#pragma once

#include "toolkit/frame.h"

#include <Qt>

class QHBoxLayout;
class QLabel;

// The row at the top of a frameless window or dialog: an icon, the window
// title and, at its right end, the system bar that the owner appends. Being a
// Frame, it moves the window when dragged and toggles maximized on a
// double-click.
class TitleBar : public Frame
{
    Q_OBJECT

public:
    explicit TitleBar(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const;

    // A negative index appends the widget to the row.
    void insertWidget(int index, QWidget *widget, int stretch = 0,
                      Qt::Alignment alignment = Qt::Alignment());
    void insertSpacing(int index, int size);

private:
    QHBoxLayout *m_layout;
    QLabel *m_title;
};
