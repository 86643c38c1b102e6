#pragma once

#include <QLabel>

// A short notice shown centred over a window that closes and deletes itself
// after a while. Callers only use showText; nobody keeps the label.
class ToastLabel : public QLabel
{
    Q_OBJECT

public:
    // Shows text over parent (or over the active window when parent is null;
    // nothing at all when there is none either) for msec milliseconds.
    // A non-empty objectName lets the style sheet address this notice.
    static void showText(const QString &text, QWidget *parent, int msec,
                         const QString &objectName = QString());

    // Where a label of labelSize goes to be centred on the contents rectangle.
    static QPoint centredPosition(const QRect &contents, const QSize &labelSize);

private:
    explicit ToastLabel(const QString &text, QWidget *parent);
};
