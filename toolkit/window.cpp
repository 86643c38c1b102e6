#include "toolkit/window.h"

#include "toolkit/frameless_native_event.h"
#include "toolkit/system_bar.h"
#include "toolkit/title_bar.h"

#include <QEvent>
#include <QVBoxLayout>

Window::Window(QWidget *parent, bool hasTitleBar, Qt::WindowFlags flags)
    : QFrame(parent, flags | framelessWindowFlags)
{
    setAttribute(Qt::WA_TranslucentBackground);

    // Created first, so it starts at the bottom of the stacking order; its
    // geometry follows the window in resizeEvent, not a layout.
    m_shadow = new QFrame(this);
    m_shadow->setObjectName(QStringLiteral("window_shadow"));
    m_shadow->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(m_shadowWidth, m_shadowWidth, m_shadowWidth, m_shadowWidth);
    m_layout->setSpacing(0);

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
    m_shadowWidth = width;
    if (!isMaximized())
        applyShadowMargins();
}

void Window::applyShadowMargins()
{
    m_layout->setContentsMargins(m_shadowWidth, m_shadowWidth, m_shadowWidth, m_shadowWidth);
}

void Window::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_shadow->resize(size());
    m_shadow->lower();
}

bool Window::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    if (handleFramelessNativeEvent(this, m_shadowWidth, message, result))
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
        // A maximized window fills the screen: no margin, no shadow.
        if (isMaximized()) {
            m_layout->setContentsMargins(0, 0, 0, 0);
            m_shadow->hide();
        } else {
            applyShadowMargins();
            m_shadow->lower();
            m_shadow->show();
        }
        break;
    default:
        break;
    }
}
