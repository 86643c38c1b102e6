#include "wizard/wizard_widget.h"

#include <QAbstractButton>
#include <QKeyEvent>

WizardWidget::WizardWidget(QWidget *parent)
    : Frame(parent, false, 12)
{
}

void WizardWidget::start() { }

void WizardWidget::stop() { }

void WizardWidget::keyPressEvent(QKeyEvent *event)
{
    // Outside a dialog a button leaves Enter to its parent. On the pages,
    // where the keyboard is the only way through for some people, Enter
    // works the focused button or box just as Space does.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto *button = qobject_cast<QAbstractButton *>(focusWidget());
    if (enter && button && isAncestorOf(button) && button->isEnabled() && !event->isAutoRepeat()) {
        button->click();
        return;
    }
    Frame::keyPressEvent(event);
}
