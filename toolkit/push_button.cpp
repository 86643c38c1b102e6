#include "toolkit/push_button.h"

#include <QKeyEvent>

namespace {

bool isPressKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
}

} // namespace

PushButton::PushButton(QWidget *parent)
    : QPushButton(parent)
{
    setAutoDefault(false);
    setDefault(false);
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
}

// Swallowed keys stay accepted, so they do not travel on to the parent either.
void PushButton::keyPressEvent(QKeyEvent *event)
{
    if (isPressKey(event))
        return;
    QPushButton::keyPressEvent(event);
}

void PushButton::keyReleaseEvent(QKeyEvent *event)
{
    if (isPressKey(event))
        return;
    QAbstractButton::keyReleaseEvent(event);
}
