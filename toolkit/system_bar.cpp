#include "toolkit/system_bar.h"

#include "toolkit/push_button.h"

#include <QEvent>
#include <QHBoxLayout>

SystemBar::SystemBar(QWidget *window, Buttons buttons, QWidget *parent)
    : QWidget(parent)
    , m_window(window)
{
    // Without buttons (or without a window to act on) the bar stays an empty
    // widget that never reacts to the window.
    if (!buttons || !window)
        return;

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    if (buttons.testFlag(MinimizeButton)) {
        m_minimize = createButton(QStringLiteral("minimize"), tr("Minimize"));
        m_minimize->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
        layout->addWidget(m_minimize);
        connect(m_minimize, &QPushButton::clicked, window, &QWidget::showMinimized);
    }
    if (buttons.testFlag(MaximizeButton)) {
        m_maximize = createButton(QStringLiteral("maximize"), tr("Maximize"));
        m_maximize->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
        layout->addWidget(m_maximize);
        connect(m_maximize, &QPushButton::clicked, window, &QWidget::showMaximized);

        // The restore button only appears once the window is maximized.
        m_restore = createButton(QStringLiteral("restore"), tr("Restore"));
        m_restore->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
        m_restore->hide();
        layout->addWidget(m_restore);
        connect(m_restore, &QPushButton::clicked, window, &QWidget::showNormal);
    }
    if (buttons.testFlag(CloseButton)) {
        m_close = createButton(QStringLiteral("close"), tr("Close"));
        layout->addWidget(m_close);
        connect(m_close, &QPushButton::clicked, window, &QWidget::close);
    }

    window->installEventFilter(this);
}

PushButton *SystemBar::createButton(const QString &objectName, const QString &toolTip)
{
    auto *button = new PushButton(this);
    button->setObjectName(objectName);
    button->setToolTip(toolTip);
    // The buttons show pictures only; a screen reader says the tooltip.
    button->setAccessibleName(toolTip);
    return button;
}

void SystemBar::setCloseEnabled(bool enabled)
{
    if (m_close)
        m_close->setEnabled(enabled);
}

bool SystemBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::WindowStateChange) {
        const bool maximized = m_window->windowState().testFlag(Qt::WindowMaximized);
        const bool fixedSize = m_window->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
        if (m_maximize)
            m_maximize->setVisible(!maximized && !fixedSize);
        if (m_restore)
            m_restore->setVisible(maximized);
    }
    return QWidget::eventFilter(watched, event);
}
