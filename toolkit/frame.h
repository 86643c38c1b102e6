#pragma once

#include <QFrame>
#include <QPoint>

// A frame that moves the window it lies in when dragged with the left mouse
// button, so every empty spot of a page or title bar works as a handle. A
// maximized window is restored at the first step of the drag and then follows
// the cursor. Optionally a left double-click toggles maximized.
class Frame : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(int shadowWidth READ shadowWidth WRITE setShadowWidth)

public:
    explicit Frame(QWidget *parent = nullptr, bool maximizeOnDoubleClick = false,
                   int shadowWidth = 12);

    // The window's shadow margin in its normal state; the drag out of a
    // maximized window places the body under the cursor with it.
    int shadowWidth() const { return m_shadowWidth; }
    void setShadowWidth(int width) { m_shadowWidth = width; }

    // Where a window that was maximized at maximizedFrame and has just been
    // restored to normalSize goes when the drag step from globalPos by delta
    // takes it out of the maximized state: the cursor keeps its relative
    // horizontal place on the window, the body starts at the old top.
    static QPoint restoredWindowPosition(const QRect &maximizedFrame, const QSize &normalSize,
                                         const QPoint &globalPos, const QPoint &delta,
                                         int shadowWidth);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    bool takesDoubleClick(const QEvent *event) const;
    void dragWindowBy(const QPoint &globalPos, const QPoint &delta);

    bool m_maximizeOnDoubleClick;
    int m_shadowWidth;
    bool m_dragging = false;
    QPoint m_lastGlobalPos;
};
