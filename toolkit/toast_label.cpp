#include "toolkit/toast_label.h"

#include <QApplication>
#include <QTimer>

ToastLabel::ToastLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    // Notices may name folders the user typed: shown as they are, never as
    // markup.
    setTextFormat(Qt::PlainText);
    setText(text);
}

void ToastLabel::showText(const QString &text, QWidget *parent, int msec, const QString &objectName)
{
    if (!parent)
        parent = QApplication::activeWindow();
    if (!parent)
        return;

    // An ordinary child of the window, so it moves and goes away with it.
    auto *label = new ToastLabel(text, parent);
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setWordWrap(false);
    label->setMaximumWidth(640);
    if (!objectName.isEmpty())
        label->setObjectName(objectName);
    label->adjustSize();
    label->move(centredPosition(parent->contentsRect(), label->size()));
    label->show();
    label->raise();

    // Tied to the label: if the label dies first with its parent, the timer
    // goes with it.
    QTimer::singleShot(msec, label, &QWidget::close);
}

QPoint ToastLabel::centredPosition(const QRect &contents, const QSize &labelSize)
{
    const QPoint centre = contents.center();
    return QPoint(centre.x() - labelSize.width() / 2, centre.y() - labelSize.height() / 2);
}
