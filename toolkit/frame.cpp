#include "toolkit/frame.h"

#include <QAbstractButton>
#include <QMouseEvent>

Frame::Frame(QWidget *parent, bool maximizeOnDoubleClick, int shadowWidth)
    : QFrame(parent)
    , m_maximizeOnDoubleClick(maximizeOnDoubleClick)
    , m_shadowWidth(shadowWidth)
{
}

QPoint Frame::restoredWindowPosition(const QRect &maximizedFrame, const QSize &normalSize,
                                     const QPoint &globalPos, const QPoint &delta, int shadowWidth)
{
    // An empty maximized frame cannot give a ratio; the window then starts at
    // the cursor.
    const double ratio = maximizedFrame.width() > 0
        ? double(globalPos.x() - maximizedFrame.left()) / maximizedFrame.width()
        : 0.0;
    const int left = int(globalPos.x() - normalSize.width() * ratio) + delta.x();
    const int top = maximizedFrame.top() + delta.y() - shadowWidth;
    return QPoint(left, top);
}

bool Frame::takesDoubleClick(const QEvent *event) const
{
    if (!m_maximizeOnDoubleClick || event->type() != QEvent::MouseButtonDblClick)
        return false;
    const QWidget *topLevel = window();
    if (topLevel->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint)
        || topLevel->minimumSize() == topLevel->maximumSize())
        return false;
    return static_cast<const QMouseEvent *>(event)->button() == Qt::LeftButton;
}

bool Frame::event(QEvent *event)
{
    if (!takesDoubleClick(event))
        return QFrame::event(event);

    // A double-click on a button of the bar (even a disabled one) must not
    // toggle the window; it is swallowed instead.
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QWidget *child = childAt(mouse->pos());
    if (!qobject_cast<const QAbstractButton *>(child)) {
        QWidget *topLevel = window();
        if (topLevel->windowState().testFlag(Qt::WindowMaximized))
            topLevel->showNormal();
        else
            topLevel->showMaximized();
    }
    event->accept();
    return true;
}

void Frame::mousePressEvent(QMouseEvent *event)
{
    // The outer three pixels at the left, top and right are left alone, so
    // that they stay with the window's sizing border.
    if (event->button() == Qt::LeftButton
        && contentsRect().adjusted(3, 3, -3, 0).contains(event->pos())) {
        event->accept();
        m_dragging = true;
        m_lastGlobalPos = event->globalPos();
        return;
    }
    QFrame::mousePressEvent(event);
}

void Frame::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging) {
        m_dragging = false;
        event->accept();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

void Frame::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    const QPoint globalPos = event->globalPos();
    const QPoint delta = globalPos - m_lastGlobalPos;
    if (delta.manhattanLength() > 0)
        dragWindowBy(globalPos, delta);
    m_lastGlobalPos = globalPos;
    event->accept();
}

void Frame::dragWindowBy(const QPoint &globalPos, const QPoint &delta)
{
    QWidget *topLevel = window();
    if (!topLevel)
        return;
    if (!topLevel->windowState().testFlag(Qt::WindowMaximized)) {
        topLevel->move(topLevel->pos() + delta);
        return;
    }
    // The size to come back to is known before the restore: reading it back
    // afterwards would race the window system, which restores asynchronously
    // on X11 (and offscreen).
    const QRect maximizedFrame = topLevel->frameGeometry();
    QSize normalSize = topLevel->normalGeometry().size();
    topLevel->showNormal();
    // A window first shown maximized has no normal geometry yet; then the
    // restored one is all there is.
    if (normalSize.isEmpty())
        normalSize = topLevel->frameGeometry().size();
    const QPoint position
        = restoredWindowPosition(maximizedFrame, normalSize, globalPos, delta, m_shadowWidth);
    topLevel->move(position);
    topLevel->resize(normalSize);
}
