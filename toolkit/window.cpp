#include "toolkit/window.h"

#include "toolkit/frameless_native_event.h"
#include "toolkit/system_bar.h"
#include "toolkit/title_bar.h"

#include <QEvent>
#include <QShowEvent>
#include <QVBoxLayout>

Window::Window(QWidget *parent, bool hasTitleBar, Qt::WindowFlags flags)
    : QFrame(parent, flags | framelessWindowFlags)
    , m_shadow(this, QStringLiteral("window_shadow"))
{
    setAttribute(Qt::WA_TranslucentBackground);

    m_layout = new QVBoxLayout(this);
    m_layout->setSpacing(0);
    m_shadow.attach(m_layout);

    m_background = new QFrame(this);
    m_background->setObjectName(QStringLiteral("window_background"));
    m_layout->addWidget(m_background);

    if (!hasTitleBar)
        return;

    auto *bodyLayout = new QVBoxLayout(m_background);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);

    m_titleBar = new TitleBar(m_background);
    m_titleBar->setObjectName(QStringLiteral("window"));
    bodyLayout->addWidget(m_titleBar);

    const SystemBar::Buttons buttons = flags.testFlag(Qt::MSWindowsFixedSizeDialogHint)
        ? SystemBar::Buttons(SystemBar::CloseButton)
        : SystemBar::Buttons(SystemBar::MinimizeButton | SystemBar::MaximizeButton
                             | SystemBar::CloseButton);
    auto *systemBar = new SystemBar(this, buttons, m_titleBar);
    systemBar->setObjectName(QStringLiteral("window"));
    m_titleBar->insertWidget(-1, systemBar);

    // A spacing as wide as the bar at the other end keeps the title centred
    // between the two ends of the row.
    systemBar->ensurePolished();
    m_titleBar->insertSpacing(0, systemBar->sizeHint().width());
}

void Window::setShadowWidth(int width)
{
    m_shadow.setWidth(width, isMaximized());
}

void Window::showEvent(QShowEvent *event)
{
    // Before the base class maps the window, so that no black margin ever
    // shows on a desktop without a compositor.
    m_shadow.setDesktopComposited(ShadowMargin::desktopComposited());
    QFrame::showEvent(event);
}

void Window::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_shadow.followResize(size());
}

bool Window::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    if (handleFramelessNativeEvent(this, m_shadow.width(), message, result))
        return true;
    return QFrame::nativeEvent(eventType, message, result);
}

void Window::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    switch (event->type()) {
    case QEvent::WindowTitleChange:
        if (m_titleBar)
            m_titleBar->setTitle(windowTitle());
        break;
    case QEvent::WindowStateChange:
        m_shadow.followWindowState(isMaximized());
        break;
    default:
        break;
    }
}
