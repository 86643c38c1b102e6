#include "toolkit/shadow_margin.h"

#include <QFrame>
#include <QVBoxLayout>

ShadowMargin::ShadowMargin(QWidget *window, const QString &objectName)
    : m_frame(new QFrame(window))
{
    m_frame->setObjectName(objectName);
    m_frame->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShadowMargin::attach(QVBoxLayout *layout)
{
    m_layout = layout;
    applyWidth();
}

void ShadowMargin::setWidth(int width, bool maximized)
{
    m_width = width;
    if (!maximized)
        applyWidth();
}

void ShadowMargin::followResize(const QSize &windowSize)
{
    m_frame->resize(windowSize);
    m_frame->lower();
}

void ShadowMargin::followWindowState(bool maximized)
{
    // A maximized window fills the screen: no margin, no shadow.
    if (maximized) {
        if (m_layout)
            m_layout->setContentsMargins(0, 0, 0, 0);
        m_frame->hide();
    } else {
        applyWidth();
        m_frame->lower();
        m_frame->show();
    }
}

void ShadowMargin::applyWidth()
{
    if (m_layout)
        m_layout->setContentsMargins(m_width, m_width, m_width, m_width);
}
