#include "toolkit/shadow_margin.h"

#include <QFrame>
#include <QGuiApplication>
#include <QRegion>
#include <QVBoxLayout>

#include <cmath>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "platform/unix/compositor.h"
#endif

namespace {

// The style sheets give the bodies of windows and dialogs corners of this
// radius; cut square, a masked window would show black corner pixels.
constexpr int bodyCornerRadius = 8;

} // namespace

ShadowMargin::ShadowMargin(QWidget *window, const QString &objectName)
    : m_window(window)
    , m_frame(new QFrame(window))
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
    if (!maximized) {
        applyWidth();
        updateMask();
    }
}

void ShadowMargin::followResize(const QSize &windowSize)
{
    m_frame->resize(windowSize);
    m_frame->lower();
    updateMask();
}

void ShadowMargin::followWindowState(bool maximized)
{
    m_maximized = maximized;
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
    updateMask();
}

void ShadowMargin::setDesktopComposited(bool composited)
{
    m_composited = composited;
    updateMask();
}

bool ShadowMargin::desktopComposited()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return platform::compositingManagerRunning();
#endif
    return true;
}

QRegion ShadowMargin::bodyRegion(const QSize &windowSize, int margin)
{
    const QRect body = QRect(QPoint(0, 0), windowSize).adjusted(margin, margin, -margin, -margin);
    const int radius = qMin(bodyCornerRadius, qMin(body.width(), body.height()) / 2);
    if (body.isEmpty())
        return QRegion();
    QRegion region(body.adjusted(0, radius, 0, -radius));
    // Row by row along the corners, leaving out every pixel the rounded body
    // covers only in part: its smoothed edge would show dark without a
    // compositor to blend it.
    for (int row = 0; row < radius; ++row) {
        const double fromCentre = radius - row;
        const int inset
            = int(std::ceil(radius - std::sqrt(double(radius * radius) - fromCentre * fromCentre)));
        const int width = body.width() - 2 * inset;
        region += QRect(body.left() + inset, body.top() + row, width, 1);
        region += QRect(body.left() + inset, body.bottom() - row, width, 1);
    }
    return region;
}

void ShadowMargin::applyWidth()
{
    if (m_layout)
        m_layout->setContentsMargins(m_width, m_width, m_width, m_width);
}

void ShadowMargin::updateMask()
{
    // A maximized window has no margin to hide.
    if (m_composited || m_maximized)
        m_window->clearMask();
    else
        m_window->setMask(bodyRegion(m_window->size(), m_width));
}
