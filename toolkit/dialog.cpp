#include "toolkit/dialog.h"

#include "toolkit/frameless_native_event.h"
#include "toolkit/system_bar.h"
#include "toolkit/title_bar.h"

#include <QEvent>
#include <QFrame>
#include <QShowEvent>
#include <QVBoxLayout>

Dialog::Dialog(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags | framelessWindowFlags)
    , m_shadow(this, QStringLiteral("dialog_shadow"))
{
    setAttribute(Qt::WA_TranslucentBackground);

    auto *body = new QFrame(this);
    body->setObjectName(QStringLiteral("dialog_background"));
    auto *bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);

    m_titleBar = new TitleBar(body);
    m_titleBar->setObjectName(QStringLiteral("dialog"));
    bodyLayout->addWidget(m_titleBar);

    const SystemBar::Buttons buttons = flags.testFlag(Qt::MSWindowsFixedSizeDialogHint)
        ? SystemBar::Buttons(SystemBar::CloseButton)
        : SystemBar::Buttons(SystemBar::MinimizeButton | SystemBar::MaximizeButton
                             | SystemBar::CloseButton);
    auto *systemBar = new SystemBar(this, buttons, m_titleBar);
    systemBar->setObjectName(QStringLiteral("dialog"));
    m_titleBar->insertWidget(-1, systemBar);

    m_client = new QFrame(body);
    m_client->setObjectName(QStringLiteral("dialog_client"));
    m_client->setFrameShape(QFrame::NoFrame);
    bodyLayout->addWidget(m_client);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addWidget(body);
    m_shadow.attach(m_layout);
    m_shadow.followWindowState(false);
}

void Dialog::setShadowWidth(int width)
{
    m_shadow.setWidth(width, isMaximized());
}

void Dialog::showEvent(QShowEvent *event)
{
    // Before the base class maps the window, so that no black margin ever
    // shows on a desktop without a compositor.
    m_shadow.setDesktopComposited(ShadowMargin::desktopComposited());
    QDialog::showEvent(event);
}

void Dialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_shadow.followResize(size());
}

bool Dialog::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    if (handleFramelessNativeEvent(this, m_shadow.width(), message, result))
        return true;
    return QDialog::nativeEvent(eventType, message, result);
}

void Dialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    switch (event->type()) {
    case QEvent::WindowTitleChange:
        m_titleBar->setTitle(windowTitle());
        break;
    case QEvent::WindowStateChange:
        m_shadow.followWindowState(isMaximized());
        break;
    default:
        break;
    }
}
